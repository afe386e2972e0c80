// The repair report of quillora-convert mail as JSON (schema in docs/mail.md).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "mail/mail_reader.h"

namespace quillora::convert_cli {

struct ReportOptions {
  std::string input;                            // as named on the command line
  std::string output_encoding;                  // "cp932" or "utf-8"
  std::vector<std::filesystem::path> saved_as;  // per attachment; empty path when not saved
};

[[nodiscard]] std::string ReportJson(const mail::MailReading& reading,
                                     const std::vector<const mail::RepairEvent*>& events,
                                     const ReportOptions& options);

}  // namespace quillora::convert_cli
