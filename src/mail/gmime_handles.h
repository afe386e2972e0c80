// Ownership of GMime's reference-counted objects.
#pragma once

#include <gmime/gmime.h>

#include <memory>

namespace quillora::mail {

struct GObjectUnref {
  void operator()(void* object) const { g_object_unref(object); }
};

template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

// GMime's global tables, set up once for the process.
void EnsureGMime();

}  // namespace quillora::mail
