// The process-wide application state.
#include "app/modQuillora.h"

namespace quillora {

AppState& App() {
  static AppState state;
  return state;
}

}  // namespace quillora
