// The whole-mail reader on a generated multipart mail: an ISO-2022-JP text part, a Base64
// Shift_JIS text part and a Base64 attachment, at 2 MB (target: under 50 ms) and at growing sizes
// up to 100 MB, where a constant rate shows that the time is linear.
//   quillora-mail-bench --benchmark_filter=ReadMail
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

#include "mail/detection.h"
#include "mail/mail_reader.h"
#include "mail_corpus.h"

namespace quillora::bench {
namespace {

const ByteBuffer& MailOf(std::size_t megabytes) {
  static std::map<std::size_t, std::unique_ptr<ByteBuffer>> cache;
  auto& slot = cache[megabytes];
  if (!slot) {
    CorpusSpec spec;
    spec.bytes = megabytes << 20;
    slot = std::make_unique<ByteBuffer>(MakeMail(spec));
  }
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
