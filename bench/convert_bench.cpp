// Micro-benchmarks of every converter, the code page 932 codec and the front door (text, and the
// code page 932 bytes quillora-convert writes), on generated Japanese-dense and ASCII-heavy mail
// of 1 MB and 64 MB.
//   quillora-bench --benchmark_filter=JisToSJis/japanese
#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "conversions.h"
#include "convert/clsConvert.h"
#include "convert/front_door.h"
#include "convert/stream_output.h"
#include "mail_corpus.h"
#include "text/cp932_codec.h"

namespace quillora::bench {
namespace {

const Corpus& CorpusFor(Style style, std::size_t megabytes) {
  static std::map<std::pair<Style, std::size_t>, std::unique_ptr<Corpus>> cache;
  auto& slot = cache[{style, megabytes}];
  if (!slot) {
    CorpusSpec spec;
    spec.style = style;
    spec.bytes = megabytes << 20;
    spec.halfwidth_kana = true;
    slot = std::make_unique<Corpus>(MakeCorpus(spec));
  }
  return *slot;
}

using Field = ByteBuffer Corpus::*;

void SetBytes(benchmark::State& state, std::size_t per_iteration) {
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(per_iteration));
}
using ByteConverter = std::function<void(ByteBuffer& out, ByteBuffer& in)>;

// Converters that only append the guard byte get their input back by dropping it; those that
// replace their input get a fresh copy, outside the timed region.
enum class Input { kept, replaced };

void RunConverter(benchmark::State& state, const ByteBuffer& source, const ByteConverter& convert,
                  Input input) {
  ByteBuffer in;
  in.reserve(source.size() + 1);
  in = source;
  for (auto _ : state) {
    if (input == Input::replaced) {
      state.PauseTiming();
      in.reserve(source.size() + 1);
      in = source;
      state.ResumeTiming();
    }
    ByteBuffer out{0};
    convert(out, in);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
    if (input == Input::kept) {
      in.resize(source.size());
    }
  }
  SetBytes(state, source.size());
}

struct ConverterCase {
  const char* name;
  Field input;
  Input effect;
  ByteConverter convert;
};

const ConverterCase kConverters[] = {
    {"JisToSJis", &Corpus::jis, Input::kept,
     [](ByteBuffer& out, ByteBuffer& in) { clsConvert().JisToSJis(out, in); }},
    {"JisToEuc", &Corpus::jis, Input::kept,
     [](ByteBuffer& out, ByteBuffer& in) { clsConvert().JisToEuc(out, in); }},
    {"EucToSjisConvert", &Corpus::euc, Input::kept,
     [](ByteBuffer& out, ByteBuffer& in) {
       Text text = clsConvert().EucToSjisConvert(in);
       benchmark::DoNotOptimize(text.data());
       out.clear();
     }},
    {"EucToJis/widen", &Corpus::euc, Input::replaced,
     [](ByteBuffer& out, ByteBuffer& in) { clsConvert().EucToJis(out, in, false); }},
    {"EucToJis/keep", &Corpus::euc, Input::kept,
     [](ByteBuffer& out, ByteBuffer& in) { clsConvert().EucToJis(out, in, true); }},
    {"EUCHankakuKanaConvert", &Corpus::euc, Input::kept,
     [](ByteBuffer& out, ByteBuffer& in) { clsConvert().EUCHankakuKanaConvert(out, in); }},
    {"SjisToJis/widen", &Corpus::sjis, Input::replaced,
     [](ByteBuffer& out, ByteBuffer& in) { clsConvert().SjisToJis(out, in, false); }},
    {"SjisToJis/keep", &Corpus::sjis, Input::kept,
     [](ByteBuffer& out, ByteBuffer& in) { clsConvert().SjisToJis(out, in, true); }},
    {"SjisToEucConvert", &Corpus::sjis, Input::replaced,
     [](ByteBuffer& out, ByteBuffer& in) { clsConvert().SjisToEucConvert(out, in); }},
    {"HankakuKanaToZenkakuKana", &Corpus::sjis, Input::kept,
     [](ByteBuffer& out, ByteBuffer& in) { clsConvert().HankakuKanaToZenkakuKana(out, in); }},
};

// The transfer decoders take the whole mail as text, as the front door hands it over; they
// consume it, so each run gets a fresh copy outside the timed region.
enum class TextDecoder { base64, uuencode };

void RunTextDecoder(benchmark::State& state, const ByteBuffer& source, TextDecoder decoder) {
  const Text record = BytesToText(source);
  for (auto _ : state) {
    state.PauseTiming();
    Text in = record;
    state.ResumeTiming();
    ByteBuffer out{0};
    if (decoder == TextDecoder::base64) {
      clsConvert().Base64ToSJis(out, in);
    } else {
      Text name = u"mail";
      clsConvert().UuencodeToSJis(out, in, name);
    }
    benchmark::DoNotOptimize(out.data());
  }
  SetBytes(state, source.size());
}

// The front door on bytes already read: its code page 932 text, as the desktop program and
// quillora-convert take it, handed on a piece at a time.
void RunFrontDoor(benchmark::State& state, const ByteBuffer& source, std::int16_t mode) {
  ByteBuffer in;
  std::size_t written = 0;
  for (auto _ : state) {
    state.PauseTiming();
    in.reserve(source.size() + 1);
    in = source;
    state.ResumeTiming();
    Text name = u"mail";
    StreamOutput out([&written](std::span<const std::uint8_t> piece) {
      written += piece.size();
      benchmark::DoNotOptimize(piece.data());
      return true;
    });
    ConvertBytes(std::move(in), name, mode, 0, Product::cp932_text, out);
    benchmark::DoNotOptimize(out.Finish());
    in = ByteBuffer();
  }
  SetBytes(state, source.size());
}

struct FrontDoorCase {
  const char* name;
  Field input;
  std::int16_t mode;
};

const FrontDoorCase kFrontDoorModes[] = {
    {"1-jis", &Corpus::jis, 1},         {"8-euc", &Corpus::euc, 8},
    {"9-base64", &Corpus::base64, 9},   {"10-uuencode", &Corpus::uuencoded, 10},
    {"11-utf16", &Corpus::utf16le, 11},
};

template <typename Fn>
void Register(const std::string& name, Style style, std::size_t megabytes, Fn fn) {
  const std::string full = name + "/" + StyleName(style) + "/" + std::to_string(megabytes) + "MB";
  benchmark::RegisterBenchmark(full.c_str(), [style, megabytes, fn](benchmark::State& state) {
    fn(state, CorpusFor(style, megabytes));
  })->Unit(benchmark::kMillisecond);  // throughput from CPU time, steadier on a shared machine
}

void RegisterAll() {
  for (const std::size_t megabytes : {std::size_t{1}, std::size_t{64}}) {
    for (const Style style : {Style::japanese, Style::ascii}) {
      for (const ConverterCase& c : kConverters) {
        Register(c.name, style, megabytes, [&c](benchmark::State& state, const Corpus& corpus) {
          RunConverter(state, corpus.*c.input, c.convert, c.effect);
        });
      }
      Register("Base64ToSJis", style, megabytes, [](benchmark::State& state, const Corpus& corpus) {
        RunTextDecoder(state, corpus.base64, TextDecoder::base64);
      });
      // The decoding step alone, into a buffer of its own: the input stays for the next run.
      Register("Base64Decode", style, megabytes, [](benchmark::State& state, const Corpus& corpus) {
        const std::string_view body(reinterpret_cast<const char*>(corpus.base64_body.data()),
                                    corpus.base64_body.size());
        ByteBuffer out(body.size() / 4 * 3 + 1);
        for (auto _ : state) {
          benchmark::DoNotOptimize(DecodeBase64Body(body, out.data()));
        }
        SetBytes(state, body.size());
      });
      Register("UuencodeToSJis", style, megabytes,
               [](benchmark::State& state, const Corpus& corpus) {
                 RunTextDecoder(state, corpus.uuencoded, TextDecoder::uuencode);
               });
      Register("BytesToText", style, megabytes, [](benchmark::State& state, const Corpus& corpus) {
        for (auto _ : state) {
          Text text = BytesToText(corpus.sjis);
          benchmark::DoNotOptimize(text.data());
        }
        SetBytes(state, corpus.sjis.size());
      });
      Register("ReencodeBytes", style, megabytes,
               [](benchmark::State& state, const Corpus& corpus) {
                 ByteBuffer out(2 * corpus.sjis.size());
                 for (auto _ : state) {
                   benchmark::DoNotOptimize(ReencodeBytes(corpus.sjis, out.data(), true));
                 }
                 SetBytes(state, corpus.sjis.size());
               });
      Register("TextToBytes", style, megabytes, [](benchmark::State& state, const Corpus& corpus) {
        for (auto _ : state) {
          ByteBuffer bytes = TextToBytes(corpus.text);
          benchmark::DoNotOptimize(bytes.data());
        }
        SetBytes(state, corpus.sjis.size());
      });
      for (const FrontDoorCase& c : kFrontDoorModes) {
        Register(std::string("FrontDoor/") + c.name, style, megabytes,
                 [&c](benchmark::State& state, const Corpus& corpus) {
                   RunFrontDoor(state, corpus.*c.input, c.mode);
                 });
      }
    }
  }
}

}  // namespace
}  // namespace quillora::bench

int main(int argc, char** argv) {
  quillora::bench::RegisterAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
