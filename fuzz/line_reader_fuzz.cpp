// The code page codecs and the line reader/writer over arbitrary bytes.
// Input: one byte choosing the code page (low two bits), the way lines are read
// and the read piece size; the rest is the file. Properties:
//   - decoding then encoding (with the byte forms the decoding noted) gives back
//     the very bytes, for the whole file and for every line; a changed line keeps
//     its characters;
//   - the reader splits lines exactly at CR and CR LF (a lone LF stays in the line),
//     however the reads are cut;
//   - a line decoded in parts gives the characters it gives whole;
//   - the writer gives back every line followed by CR LF;
//   - a decoded line survives the program's UTF-8 strings unchanged.
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "io/line_io.h"
#include "text/code_page.h"
#include "text/utf.h"

using namespace kadrel;

namespace {

std::vector<std::string> SplitLines(std::string_view s) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\r') {
      line += s[i];
      continue;
    }
    lines.push_back(line);
    line.clear();
    if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

bool HasEscape(const std::u32string& text) {
  for (char32_t c : text)
    if (IsByteEscape(c)) return true;
  return false;
}

bool WellFormed(const std::u32string& text) {
  for (char32_t c : text)
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF && !IsByteEscape(c))) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t control = data[0];
  const CodePage cp = static_cast<CodePage>((control & 3) % 3);
  const int readKind = (control >> 2) & 3;  // 0 raw, 1 decoded, 2 pieces, 3 alternating
  const size_t piece = 1 + (control >> 4) * 3;
  const std::string_view file(reinterpret_cast<const char*>(data + 1), size - 1);
  const TextCodec& codec = CodecFor(cp);

  ByteForms forms;
  std::u32string all;
  codec.decode(file, all, &forms);
  FUZZ_REQUIRE(WellFormed(all));
  std::string back;
  codec.encode(all, back, &forms);
  FUZZ_REQUIRE(back == file);

  const std::vector<std::string> expected = SplitLines(file);
  test::FakeFiles files(test::FakeFiles::Backing::Memory);
  files.readPiece = piece;
  files.memory["/in"] = file;
  LineReader reader(files.openRead("/in").file, cp);
  LineWriter writer(files.openWrite("/out").file, cp);
  std::string expectedOut;
  size_t n = 0;
  while (!reader.atEnd()) {
    FUZZ_REQUIRE(n < expected.size());
    const std::string& want = expected[n];
    const int kind = readKind == 3 ? static_cast<int>(n % 3) : readKind;
    if (kind == 1) {
      std::u32string line;
      ByteForms lineForms;
      FUZZ_REQUIRE(reader.readLine(line, &lineForms));
      FUZZ_REQUIRE(line == codec.decode(want));
      FUZZ_REQUIRE(Utf8ToU32(U32ToUtf8(line)) == line);
      if (!HasEscape(line)) {
        std::string changed;
        codec.encode(U"x" + line, changed, &lineForms);
        FUZZ_REQUIRE(codec.decode(changed) == U"x" + line);
      }
      std::string encoded;
      codec.encode(line, encoded, &lineForms);
      FUZZ_REQUIRE(writer.writeRawLine(encoded));
    } else {
      std::string bytes;
      bool ok = kind == 0 ? reader.readRaw(bytes)
                          : reader.readPieces([&](std::string_view p) { bytes.append(p); });
      FUZZ_REQUIRE(ok);
      FUZZ_REQUIRE(bytes == want);
      const std::u32string text = codec.decode(bytes);
      if (!HasEscape(text)) FUZZ_REQUIRE(codec.decode(codec.encode(text)) == text);
      // In parts of the read piece size, the line decodes to the same characters.
      std::u32string inParts;
      std::string carried;
      for (size_t from = 0; from < bytes.size() || from == 0; from += piece) {
        carried += bytes.substr(from, piece);
        carried.erase(0, codec.decodePart(carried, inParts, from + piece >= bytes.size()));
      }
      FUZZ_REQUIRE(inParts == text);
      FUZZ_REQUIRE(codec.advance(bytes, 0, text.size()) == bytes.size());
      FUZZ_REQUIRE(writer.writeRawLine(bytes));
    }
    expectedOut += want + "\r\n";
    ++n;
  }
  FUZZ_REQUIRE(n == expected.size());
  FUZZ_REQUIRE(reader.error().ok());
  FUZZ_REQUIRE(writer.close());
  FUZZ_REQUIRE(files.memory["/out"] == expectedOut);
  return 0;
}
