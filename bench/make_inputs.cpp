// quillora-bench-inputs: writes the generated mail in every input form, for bench/compare.sh.
//   quillora-bench-inputs DIR [MEGABYTES] [japanese|ascii]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "mail_corpus.h"

namespace {

bool Write(const std::string& path, const quillora::ByteBuffer& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::perror(path.c_str());
    return false;
  }
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 4) {
    std::fputs("usage: quillora-bench-inputs DIR [MEGABYTES] [japanese|ascii]\n", stderr);
    return 2;
  }
  const std::string dir = argv[1];
  quillora::bench::CorpusSpec spec;
  spec.bytes = (argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 64UL) << 20;
  if (argc > 3 && std::string_view(argv[3]) == "ascii") {
    spec.style = quillora::bench::Style::ascii;
  }
  spec.halfwidth_kana = false;  // ISO-2022-JP peers reject them

  // Each file is to be about the size asked for, so each form gets a text of its own, scaled by
  // how much that form grows or shrinks the text of a small pilot.
  const std::size_t target = spec.bytes;
  quillora::bench::CorpusSpec pilot_spec = spec;
  pilot_spec.bytes = 1 << 20;
  const quillora::bench::Corpus pilot = quillora::bench::MakeCorpus(pilot_spec);
  using Field = quillora::ByteBuffer quillora::bench::Corpus::*;
  struct Form {
    const char* file;
    Field bytes;
    const char* peer_file = nullptr;  // the same text in a second form, for a peer
    Field peer_bytes = nullptr;
  };
  const Form forms[] = {
      {"sjis.txt", &quillora::bench::Corpus::sjis},
      {"jis.txt", &quillora::bench::Corpus::jis},
      {"euc.txt", &quillora::bench::Corpus::euc},
      {"utf16.txt", &quillora::bench::Corpus::utf16le},
      {"base64.eml", &quillora::bench::Corpus::base64, "base64_body.txt",
       &quillora::bench::Corpus::base64_body},
      {"uuencoded.txt", &quillora::bench::Corpus::uuencoded},
  };
  bool ok = true;
  for (const Form& form : forms) {
    spec.bytes = static_cast<std::size_t>(static_cast<double>(target) *
                                          static_cast<double>(pilot.sjis.size()) /
                                          static_cast<double>((pilot.*form.bytes).size()));
    const quillora::bench::Corpus c = quillora::bench::MakeCorpus(spec);
    ok = ok && Write(dir + "/" + form.file, c.*form.bytes);
    if (form.peer_file != nullptr) {
      ok = ok && Write(dir + "/" + form.peer_file, c.*form.peer_bytes);
    }
  }
  // A multipart mail of the size asked for, for the whole-mail readers.
  spec.bytes = target;
  ok = ok && Write(dir + "/mail.eml", quillora::bench::MakeMail(spec));
  return ok ? 0 : 1;
}
