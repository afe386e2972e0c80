// The fixture mails of scripts/make_mail_fixtures.py, read against the expectations written with
// them from the known texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "mail/mail_reader.h"
#include "text/utf8.h"

namespace quillora::test {
using namespace mail;
namespace {

const std::filesystem::path kFixtures =
    std::filesystem::path(QUILLORA_SAMPLES_DIR).parent_path() / "tests" / "mail" / "fixtures";

struct Fixture {
  std::string name;
  std::vector<std::pair<std::string, std::string>> rows;  // key, value
};

std::string Unescaped(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      const char next = text[++i];
      out += next == 'r' ? '\r' : next == 'n' ? '\n' : next;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::vector<Fixture> ReadExpectations() {
  std::ifstream in(kFixtures / "expectations.txt");
  std::vector<Fixture> fixtures;
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
      fixtures.push_back({line.substr(1, line.size() - 2), {}});
    } else if (!fixtures.empty() && !line.empty()) {
      const std::size_t equals = line.find('=');
      fixtures.back().rows.emplace_back(
          line.substr(0, equals),
          equals == std::string::npos ? std::string() : Unescaped(line.substr(equals + 1)));
    }
  }
  return fixtures;
}

ByteBuffer ReadFixture(const std::string& name) {
  std::ifstream in(kFixtures / name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Utf8(const Text& text) {
  return Utf8FromText(text);
}

void Check(const Fixture& fixture) {
  SCOPED_TRACE(fixture.name);
  const ByteBuffer input = ReadFixture(fixture.name);
  ASSERT_FALSE(input.empty());
  const MailReading reading = ReadMail(input);
  const std::string text = Utf8(reading.text);
  std::size_t attachment = 0;
  for (const auto& [key, value] : fixture.rows) {
    if (key == "contains") {
      EXPECT_NE(text.find(value), std::string::npos) << "missing: " << value << "\nin:\n" << text;
    } else if (key == "absent") {
      EXPECT_EQ(text.find(value), std::string::npos) << "present: " << value << "\nin:\n" << text;
    } else if (key == "attachment") {
      ASSERT_LT(attachment, reading.attachments.size());
      const Attachment& found = reading.attachments[attachment++];
      const std::size_t bar = value.rfind('|');
      EXPECT_EQ(Utf8(found.name), value.substr(0, bar));
      EXPECT_EQ(std::to_string(found.data.size()), value.substr(bar + 1));
    } else if (key == "event") {
      EXPECT_TRUE(
          std::any_of(reading.events.begin(), reading.events.end(),
                      [&](const RepairEvent& e) { return RepairKindName(e.kind) == value; }))
          << "no event " << value;
    } else if (key == "event_text") {
      const std::size_t bar = value.find('|');
      EXPECT_TRUE(std::any_of(reading.events.begin(), reading.events.end(),
                              [&](const RepairEvent& e) {
                                return RepairKindName(e.kind) == value.substr(0, bar) &&
                                       Utf8(reading.text.substr(e.text_offset, e.text_length)) ==
                                           value.substr(bar + 1);
                              }))
          << "no event " << value;
    } else if (key == "no_events") {
      for (const RepairEvent& event : reading.events) {
        EXPECT_EQ(event.kind, RepairKind::unmappable_in_cp932)
            << RepairKindName(event.kind) << " at " << event.input_offset << ": " << event.detail;
      }
    } else if (key == "exact_offsets") {
      for (const RepairEvent& event : reading.events) {
        if (event.kind == RepairKind::charset_override || event.bytes.empty()) {
          continue;
        }
        ASSERT_LE(event.input_offset + event.input_length, input.size());
        const ByteBuffer at(
            input.begin() + static_cast<std::ptrdiff_t>(event.input_offset),
            input.begin() + static_cast<std::ptrdiff_t>(event.input_offset + event.input_length));
        EXPECT_EQ(at, event.bytes) << RepairKindName(event.kind) << " at " << event.input_offset;
      }
    } else if (key == "same_as") {
      EXPECT_EQ(reading.text, ReadMail(ReadFixture(value)).text);
    } else {
      ADD_FAILURE() << "unknown expectation " << key;
    }
  }
  EXPECT_EQ(attachment, reading.attachments.size()) << "attachments not in the expectations";
  // Every event points into the text and, where it produced text, at that text.
  for (const RepairEvent& event : reading.events) {
    ASSERT_LE(event.text_offset + event.text_length, reading.text.size());
    if (event.kind == RepairKind::replaced_invalid_byte) {
      EXPECT_EQ(reading.text.substr(event.text_offset, event.text_length), event.produced);
    }
  }
}

TEST(fixture_mail_test, reads_as_its_known_text) {
  const std::vector<Fixture> fixtures = ReadExpectations();
  ASSERT_GE(fixtures.size(), 10u) << "run scripts/make_mail_fixtures.py";
  for (const Fixture& fixture : fixtures) {
    Check(fixture);
  }
}

// Each event's text offsets follow the text: events in order, none overlapping the headers'
// fixed words.
TEST(fixture_mail_test, events_come_in_the_order_of_the_text) {
  for (const Fixture& fixture : ReadExpectations()) {
    const MailReading reading = ReadMail(ReadFixture(fixture.name));
    EXPECT_TRUE(std::is_sorted(
        reading.events.begin(), reading.events.end(),
        [](const RepairEvent& a, const RepairEvent& b) { return a.text_offset < b.text_offset; }))
        << fixture.name;
  }
}

}  // namespace
}  // namespace quillora::test
