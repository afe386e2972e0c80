// The whole-mail reader on a generated multipart mail: an ISO-2022-JP text part, a Base64
// Shift_JIS text part and a Base64 attachment, at 2 MB (target: under 50 ms) and at growing sizes
// up to 100 MB, where a constant rate shows that the time is linear.
//   quillora-mail-bench --benchmark_filter=ReadMail
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string_view>

#include "mail/detection.h"
#include "mail/mail_reader.h"
#include "mail_corpus.h"

namespace quillora::bench {
namespace {

void Append(ByteBuffer& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

// About `megabytes` MB of mail, the three parts of even size.
ByteBuffer MakeMail(std::size_t megabytes) {
  CorpusSpec spec;
  spec.bytes = (megabytes << 20) / 4;
  const Corpus corpus = MakeCorpus(spec);
  ByteBuffer mail;
  mail.reserve((megabytes << 20) + 4096);
  Append(mail,
         "From: =?ISO-2022-JP?B?GyRCOzNLXBsoQg==?= <yamamoto@example.com>\r\n"
         "To: team@example.com\r\nSubject: =?ISO-2022-JP?B?GyRCRGpOYzJxNUQbKEI=?=\r\n"
         "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=part\r\n\r\n"
         "--part\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n\r\n");
  mail.insert(mail.end(), corpus.jis.begin(), corpus.jis.end());
  Append(mail,
         "\r\n--part\r\nContent-Type: text/plain; charset=Shift_JIS\r\n"
         "Content-Transfer-Encoding: base64\r\n\r\n");
  mail.insert(mail.end(), corpus.base64_body.begin(), corpus.base64_body.end());
  Append(mail,
         "\r\n--part\r\nContent-Type: application/octet-stream; name=data.bin\r\n"
         "Content-Disposition: attachment; filename=data.bin\r\nContent-Transfer-Encoding: "
         "base64\r\n\r\n");
  mail.insert(mail.end(), corpus.base64_body.begin(), corpus.base64_body.end());
  Append(mail, "\r\n--part--\r\n");
  return mail;
}

const ByteBuffer& MailOf(std::size_t megabytes) {
  static std::map<std::size_t, std::unique_ptr<ByteBuffer>> cache;
  auto& slot = cache[megabytes];
  if (!slot) slot = std::make_unique<ByteBuffer>(MakeMail(megabytes));
  return *slot;
}

void ReadMail(benchmark::State& state) {
  const ByteBuffer& mail = MailOf(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    mail::MailReading reading = mail::ReadMail(mail);
    benchmark::DoNotOptimize(reading.text.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(mail.size()));
}
BENCHMARK(ReadMail)
    ->Arg(2)
    ->Arg(8)
    ->Arg(32)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void Detect(benchmark::State& state) {
  const ByteBuffer& mail = MailOf(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(mail::Detect(mail).evidence.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(mail.size()));
}
BENCHMARK(Detect)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace quillora::bench

BENCHMARK_MAIN();
