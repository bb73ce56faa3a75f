// kadrel-cli --help, written from the option table.
#include "cli/cli_options.h"
#include "cli/help_layout.h"
#include "cli/option_table.h"

namespace kadrel::cli {

namespace {

constexpr size_t kWidth = 80;
constexpr size_t kTextColumn = 30;

// "  LABEL   text..." with the text wrapped at kTextColumn (on the next line when
// the label reaches it).
void AppendEntry(const std::string& label, std::string_view text, std::string& out) {
  std::string line = "  " + label;
  if (line.size() + 2 > kTextColumn) {
    out += line + "\n";
    line.clear();
  }
  line.resize(kTextColumn, ' ');
  const std::vector<std::string> lines = WrapText(text, kWidth - kTextColumn);
  for (size_t i = 0; i < lines.size(); ++i) {
    out += (i == 0 ? line : std::string(kTextColumn, ' ')) + lines[i] + "\n";
  }
}

void AppendParagraph(std::string_view text, std::string& out) {
  for (const std::string& line : WrapText(text, kWidth)) out += line + "\n";
}

constexpr std::string_view kAbout =
    "Rewrites or filters text files in bulk, as the Kadrel window does. PATH... are files and "
    "folders taken as a drop on the target file list: folders are scanned depth-first, and "
    "only files passing the drop filter (--include; never backup or result files) are listed. "
    "A PATH of - alone reads standard input and writes to standard output what the file would "
    "become, or what its result file would hold; no backup is made. Texts may hold any "
    "character, commas included; put -- before an argument that begins with -.";

constexpr std::string_view kAfterOptions =
    R"(Every message box is written to standard error as "[TITLE] text".
Exit status: 0 done, no box shown; 1 done, a box was shown; 2 nothing was run
(usage error, no file listed, step refused, no COMBO!! step loaded);
130 interrupted (SIGINT, SIGTERM, SIGHUP or a closed standard error: the current
file keeps its previous content, files done before keep their new one).
Files are replaced whole: a file never holds half its new content, whatever ends
the run. A file another Kadrel is processing is skipped with a box.
)";

}  // namespace

std::string HelpText() {
  std::string out =
      "Usage: kadrel-cli OPERATION [OPTION]... [ARGUMENT]... PATH...\n"
      "  or:  kadrel-cli -s LINE | -c FILE [OPTION]... PATH...\n"
      "  or:  kadrel-cli --list | --describe | --show-combo | --undo ...\n";
  AppendParagraph(kAbout, out);
  out += "\nOperations:\n";
  for (const OperationRow& op : Operations()) {
    const std::vector<std::string> forms = SynopsisForms(op);
    for (size_t i = 0; i + 1 < forms.size(); ++i) out += "  " + forms[i] + "\n";
    AppendEntry(forms.back(), op.help, out);
  }
  for (OptionGroup group : kGroupsInOrder) {
    out += "\n";
    out += OptionGroupTitle(group) + ":\n";
    for (const OptionRow& row : Options()) {
      if (row.group == group) AppendEntry(OptionLabel(row), row.help, out);
    }
  }
  out += "\n";
  out += kAfterOptions;
  out += "\nExamples:\n";
  for (const Example& example : Examples()) {
    out += "  " + std::string(example.command) + "\n";
    for (const std::string& line : WrapText(example.effect, kWidth - 6))
      out += "      " + line + "\n";
  }
  return out;
}

}  // namespace kadrel::cli
