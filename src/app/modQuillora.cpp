// The process-wide application state and the decode-type table.
#include "app/modQuillora.h"

namespace quillora {

AppState& App() {
  static AppState state;
  return state;
}

std::vector<Text> MakeDecodeTypeNames() {
  return {u"JIS → ShiftJIS", u"EUC → ShiftJIS", u"UUENCODE → ShiftJIS",
          u"MIME(BASE64) → ShiftJIS", u"UNICODE → ShiftJIS"};
}

}  // namespace quillora
