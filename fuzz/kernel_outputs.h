// Each vector kernel of a decoder's code page 932 path run on the same input, for targets that
// hold them all to the plain one.
#pragma once

#include <functional>

#include "convert/stream_output.h"
#include "text/byte_buffer.h"
#include "text/cp932_codec.h"

namespace quillora::fuzz {

// What `decode` hands on with each kernel this processor has; plain first.
inline std::vector<ByteBuffer> KernelOutputs(
    const std::function<void(ReencodeKernel, StreamOutput&)>& decode) {
  std::vector<ByteBuffer> outputs;
  for (const ReencodeKernel kernel :
       {ReencodeKernel::plain, ReencodeKernel::sse2, ReencodeKernel::avx2}) {
    if (HasReencodeKernel(kernel)) {
      ByteBuffer& delivered = outputs.emplace_back();
      StreamOutput out(StreamOutput::AppendTo(delivered), 256);
      decode(kernel, out);
      out.Finish();
    }
  }
  return outputs;
}

}  // namespace quillora::fuzz
