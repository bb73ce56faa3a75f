#include "cli/cli_options.h"

#include <getopt.h>

#include <algorithm>
#include <set>

#include "cli/quoted_value.h"

namespace kadrel::cli {

namespace {

enum LongOnly { kIni = 256, kAnswer, kList, kDescribe, kShowCombo, kUndo };
constexpr int kNull = '0';

constexpr option kLongOptions[] = {
    {"step", required_argument, nullptr, 's'},
    {"combo", required_argument, nullptr, 'c'},
    {"ini", required_argument, nullptr, kIni},
    {"option", required_argument, nullptr, 'o'},
    {"answer", required_argument, nullptr, kAnswer},
    {"list", no_argument, nullptr, kList},
    {"null", no_argument, nullptr, kNull},
    {"describe", required_argument, nullptr, kDescribe},
    {"show-combo", required_argument, nullptr, kShowCombo},
    {"dry-run", no_argument, nullptr, 'n'},
    {"undo", no_argument, nullptr, kUndo},
    {"quiet", no_argument, nullptr, 'q'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

ParseOutcome Fail(std::string error) {
  ParseOutcome outcome;
  outcome.error = std::move(error);
  return outcome;
}

// Empty, or blanks only: such a name is a slip (an unset variable), and taken as a
// drop it would name the working folder.
bool IsBlank(const std::string& path) {
  return path.find_first_not_of(" \t\n\r\v\f") == std::string::npos;
}

}  // namespace

ParseOutcome ParseCommandLine(int argc, char* const argv[]) {
  Request r;
  std::set<Command> commands;
  bool help = false, version = false;

  ::opterr = 0;  // errors are reported here, in one form
  ::optind = 0;  // a full rescan (also when called more than once)
  int code;
  while ((code = ::getopt_long(argc, argv, ":s:c:o:0nqhV", kLongOptions, nullptr)) != -1) {
    switch (code) {
      case 's':
        if (commands.contains(Command::RunStep)) return Fail("-s/--step は一度だけ指定できます");
        commands.insert(Command::RunStep);
        r.stepLine = ::optarg;
        break;
      case 'c':
        commands.insert(Command::RunCombo);
        r.comboFiles.push_back(::optarg);
        break;
      case kIni:
        r.iniPath = ::optarg;
        if (IsBlank(r.iniPath)) return Fail("--ini には設定ファイル名を指定してください");
        break;
      case 'o': {
        const std::string kv = ::optarg;
        const size_t eq = kv.find('=');
        if (eq == std::string::npos || eq == 0)
          return Fail("-o/--option には KEY=VALUE の形で指定してください" + RefusedValue(kv));
        r.optionValues.emplace_back(kv.substr(0, eq), kv.substr(eq + 1));
        break;
      }
      case kAnswer: {
        const std::string a = ::optarg;
        if (a == "ok") {
          r.problemAnswer = BoxAnswer::Ok;
        } else if (a == "cancel") {
          r.problemAnswer = BoxAnswer::Cancel;
        } else {
          return Fail("--answer には ok か cancel を指定してください" + RefusedValue(a));
        }
        break;
      }
      case kList:
        commands.insert(Command::List);
        break;
      case kNull:
        r.nullSeparated = true;
        break;
      case kDescribe:
        if (commands.contains(Command::Describe)) return Fail("--describe は一度だけ指定できます");
        commands.insert(Command::Describe);
        r.stepLine = ::optarg;
        break;
      case kShowCombo:
        commands.insert(Command::ShowCombo);
        r.comboFiles.push_back(::optarg);
        break;
      case 'n':
        r.dryRun = true;
        break;
      case kUndo:
        commands.insert(Command::Undo);
        break;
      case 'q':
        r.quiet = true;
        break;
      case 'h':
        help = true;
        break;
      case 'V':
        version = true;
        break;
      case ':':
        return Fail("オプション " + ShownText(argv[::optind - 1]) + " には値を指定してください");
      default:
        return Fail(QuotedValue(::optopt > 0 && ::optopt < 256
                                    ? std::string("-") + static_cast<char>(::optopt)
                                    : std::string(argv[::optind - 1])) +
                    "というオプションはありません");
    }
  }
  // Options may follow PATHs; "--" ends the options (for a PATH beginning with "-").
  for (int i = ::optind; i < argc; ++i) r.paths.emplace_back(argv[i]);
  for (const std::string& path : r.paths) {
    if (IsBlank(path))
      return Fail(
          "空または空白だけの PATH は指定できません（このフォルダーは . で指定してください）");
  }
  for (const std::string& path : r.comboFiles) {
    if (IsBlank(path)) return Fail("空または空白だけの COMBO!! ファイル名は指定できません");
  }

  ParseOutcome outcome;
  outcome.ok = true;
  if (help) {
    r.command = Command::Help;
  } else if (version) {
    r.command = Command::Version;
  } else if (commands.size() != 1) {
    return Fail(
        commands.empty()
            ? "処理を指定してください（-s, -c, --list, --describe, --show-combo, --undo "
              "のどれか）"
            : "-s, -c, --list, --describe, --show-combo, --undo はどれか一つだけ指定してください");
  } else {
    r.command = *commands.begin();
    if (r.nullSeparated && r.command != Command::List)
      return Fail("-0/--null は --list と一緒にだけ指定できます");
    if (r.dryRun && r.command != Command::RunStep && r.command != Command::RunCombo)
      return Fail("-n/--dry-run は -s か -c と一緒にだけ指定できます");
    switch (r.command) {
      case Command::ShowCombo:  // --show-combo FILE...: the further names are COMBO!! files too
        r.comboFiles.insert(r.comboFiles.end(), r.paths.begin(), r.paths.end());
        r.paths.clear();
        break;
      case Command::Describe:
        if (!r.paths.empty())
          return Fail("--describe にはステップ行だけを指定してください（PATH は指定できません）");
        break;
      case Command::Undo:
        if (!r.paths.empty())
          return Fail("--undo には PATH を指定できません（直前の処理のファイルを元に戻します）");
        break;
      default:  // no PATH: the run's own check reports that no file is listed
        break;
    }
    const bool stdinPath = std::find(r.paths.begin(), r.paths.end(), "-") != r.paths.end();
    if (stdinPath && (r.command != Command::RunStep || r.paths.size() != 1))
      return Fail("-（標準入力）は -s と一緒に、ただ一つの PATH としてだけ指定できます");
    if (stdinPath && r.dryRun)
      return Fail(
          "-n/--dry-run は -（標準入力）と一緒には指定できません（- は何も書き換えません）");
  }
  outcome.request = std::move(r);
  return outcome;
}

std::string HelpText() {
  return R"(Usage: kadrel-cli [OPTION]... PATH...
Rewrites or filters text files in bulk, as the Kadrel window does. PATH... are files
and folders taken as a drop on the target file list: folders are scanned
depth-first, and only files passing the drop filter (SelSts, no backup or result
file names) are listed. With -s, a PATH of - alone reads standard input and writes
to standard output what the file would become (modes 0, 1, 2, 5) or what its result
file would hold (modes 3, 4); no backup is made.

  -s, --step LINE         run one step given as a step line (e.g. "3,BEGIN,END,#")
  -c, --combo FILE        run a COMBO!! file; may be repeated, loaded in order
      --ini FILE          settings file whose section Option gives the run options
                          (default: Kadrel.ini in the program's folder); never written
  -o, --option KEY=VALUE  set one run option for this run: CompMode, SelSts, FstChrBk,
                          LstChrBk, FstChr, LstChr, SelFile, SelAddSts, AddLineNo,
                          BkupEdit, UpdateNoFile, CodePage (CP932, UTF-8, EUC-JP,
                          or auto: each file in the code page its bytes show); may be
                          repeated. Each value is checked as the options dialog
                          checks it (flags 0 or 1, affixes without '/', '\', '..' or
                          control characters); an empty value gives the default
      --answer ok|cancel  how OK/Cancel problem boxes are answered (default: cancel)
      --list              print the target file list PATH... gives and exit
  -0, --null              with --list: end each name with a NUL byte, not a newline
      --describe LINE     validate a step line as a COMBO!! step and print its description
      --show-combo FILE...  load COMBO!! files and print the COMBO!! text they give
  -n, --dry-run           with -s or -c: write nothing (no file, backup or result),
                          print to standard output what the run would change as a
                          unified diff in UTF-8 (for modes 3 and 4 the result files
                          as new files); bytes not valid in the file's code page as
                          \xNN, and on a terminal control characters too; boxes and
                          exit status as the run would give them
      --undo              take back the last run of a rewriting step or COMBO!!:
                          every file that still holds what that run wrote gets its
                          previous content back; a file changed since is left as it
                          is and named in a box (runs made with the same --ini;
                          exit status 2 when there is nothing to take back)
  -q, --quiet             no progress display, no code page of each file (auto)
  -h, --help              this help;  -V, --version  the version

Every message box is written to standard error as "[TITLE] text".
Exit status: 0 done, no box shown; 1 done, a box was shown; 2 nothing was run
(usage error, no file listed, step refused, no COMBO!! step loaded);
130 interrupted (SIGINT, SIGTERM, SIGHUP or a closed standard error: the current
file keeps its previous content, files done before keep their new one).
Files are replaced whole: a file never holds half its new content, whatever ends
the run. A file another Kadrel is processing is skipped with a box.

Examples:
  kadrel-cli -s "0,0,foo,0,bar,#" -o BkupEdit=0 notes/
      replace every "foo" with "bar" in the files under notes/, keeping no backups
  kadrel-cli -c tidy.cmb -o SelSts="*.txt;*.csv" -o CodePage=UTF-8 data/
      run the steps of tidy.cmb over the .txt and .csv files under data/
  kadrel-cli -s "4,ERROR,True,,False,,#" -o SelAddSts=1 -o CodePage=auto - <app.log
      write the lines of app.log holding ERROR to standard output
  kadrel-cli -n -s "0,0,foo,0,bar,#" notes/ | less -R
      show what replacing "foo" would change, without changing anything
)";
}

std::string VersionText() {
  return "kadrel-cli " + std::to_string(KADREL_VERSION_MAJOR) + "." +
         std::to_string(KADREL_VERSION_MINOR) + "." + std::to_string(KADREL_VERSION_PATCH) + "\n";
}

}  // namespace kadrel::cli
