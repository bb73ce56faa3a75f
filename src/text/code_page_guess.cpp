#include "text/code_page_guess.h"

#include <algorithm>
#include <array>
#include <limits>

#include "text/text_likelihood.h"

namespace kadrel {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// What the UTF-8 reading saves: the code page of most text on a Linux desk.
constexpr double kUtf8Prior = 3;
// The evidence, in bits, below which the cheapest reading does not settle the
// code page.
constexpr double kSettlingBits = 10;

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

bool IsAscii(char c) {
  return static_cast<unsigned char>(c) < 0x80;
}

size_t CountNonAscii(std::string_view bytes) {
  return static_cast<size_t>(
      std::count_if(bytes.begin(), bytes.end(), [](char c) { return !IsAscii(c); }));
}

struct Reading {
  CodePage codePage;
  ReadingCost cost;
};

// The three readings of bytes, cheapest first (on a tie UTF-8, then CP932).
std::array<Reading, 3> ReadAll(std::string_view bytes, bool askDictionary) {
  std::array<Reading, 3> readings;
  const CodePage order[] = {CodePage::UTF8, CodePage::CP932, CodePage::EUCJP};
  for (size_t i = 0; i < readings.size(); ++i)
    readings[i] = {order[i], CostOfReading(order[i], bytes, askDictionary)};
  readings[0].cost.bits -= kUtf8Prior;
  std::stable_sort(readings.begin(), readings.end(),
                   [](const Reading& a, const Reading& b) { return a.cost.bits < b.cost.bits; });
  return readings;
}

// What another reading may cost at the least: every doubt about it resolved
// in its favour, and every word the dictionary was not asked about found. Only
// a reading without a byte it cannot read is a rival: where every reading
// finds such bytes (a Latin-1 file, say) none is right, and they pass through
// as they are whichever is taken.
double LeastCost(const Reading& reading) {
  if (reading.cost.invalid > 0) return std::numeric_limits<double>::infinity();
  return reading.cost.bits - reading.cost.doubt - reading.cost.wordRoom;
}

// The cheapest reading wins by kSettlingBits whatever the doubts about the
// others (its own words could only make it cheaper).
bool Settled(const std::array<Reading, 3>& readings) {
  return std::min(LeastCost(readings[1]), LeastCost(readings[2])) - readings[0].cost.bits >=
         kSettlingBits;
}

// The reading that comes nearest to the cheapest one.
CodePage Rival(const std::array<Reading, 3>& readings) {
  return LeastCost(readings[2]) < LeastCost(readings[1]) ? readings[2].codePage
                                                         : readings[1].codePage;
}

}  // namespace

bool HoldsNulByte(std::string_view bytes) {
  return bytes.substr(0, kBinaryProbeBytes).find('\0') != std::string_view::npos;
}

CodePageGuess GuessCodePage(std::string_view bytes, bool complete) {
  CodePageGuess guess;
  if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
    guess.utf16 = guess.bom = true;
    guess.bigEndian = bytes[0] == '\xFE';
    return guess;
  }
  guess.binary = HoldsNulByte(bytes);
  if (StartsWith(bytes, kUtf8Bom)) {
    guess.bom = true;
    return guess;
  }
  if (CountNonAscii(bytes) == 0) {
    guess.asciiOnly = true;
    return guess;
  }
  // What the guess needs is a few kilobytes of the other bytes: the rest of what
  // was read is left out.
  size_t seen = 0, enough = 0;
  while (enough < bytes.size() && seen < kGuessEnoughNonAscii) seen += !IsAscii(bytes[enough++]);
  if (enough < bytes.size()) {
    bytes = bytes.substr(0, enough);
    complete = false;
  }
  if (!complete) {
    // A multi-byte character never holds a byte below 0x80 except as the second
    // byte of a CP932 pair, which ends it: cutting after the last such byte cuts
    // no character in any of the code pages.
    size_t end = bytes.size();
    while (end > 0 && !IsAscii(bytes[end - 1])) --end;
    if (CountNonAscii(bytes.substr(0, end)) > 0) bytes = bytes.substr(0, end);
  }

  // The dictionary is asked only where its words could change the outcome: in
  // short texts.
  std::array<Reading, 3> readings = ReadAll(bytes, false);
  if (!Settled(readings)) readings = ReadAll(bytes, true);
  guess.codePage = readings[0].codePage;
  if (!Settled(readings)) guess.rival = Rival(readings);
  return guess;
}

bool GuessHasEnough(std::string_view bytes) {
  return bytes.size() >= kGuessMaxBytes || CountNonAscii(bytes) >= kGuessEnoughNonAscii;
}

std::string DescribeGuess(const CodePageGuess& guess) {
  if (guess.asciiOnly) return "ASCII";
  if (guess.utf16) return guess.bigEndian ? "UTF-16BE" : "UTF-16LE";
  std::string name = CodePageName(guess.codePage);
  if (guess.bom) name += " (BOM)";
  return name;
}

}  // namespace kadrel
