#pragma once
// One exception class per engine component, carrying the message text the
// player or the caller sees.
#include <string>

#include "platform/Error.h"

namespace fusewick {

// Name is a class name, where no parentheses can go.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define FUSEWICK_ERROR_CLASS(Name) \
  class Name : public Exception {  \
   public:                         \
    using Exception::Exception;    \
  }
// NOLINTEND(bugprone-macro-parentheses)

FUSEWICK_ERROR_CLASS(ESpriteError);
FUSEWICK_ERROR_CLASS(EPictureCollectionError);
FUSEWICK_ERROR_CLASS(EDirectDrawSurfaceError);
FUSEWICK_ERROR_CLASS(EDXDrawError);
FUSEWICK_ERROR_CLASS(EDXInputError);
FUSEWICK_ERROR_CLASS(EWaveCollectionError);
FUSEWICK_ERROR_CLASS(EDXSoundError);
FUSEWICK_ERROR_CLASS(EStreamError);  // archive reading: bad format, truncated stream
FUSEWICK_ERROR_CLASS(EInOutError);   // a file that cannot be opened or read

#undef FUSEWICK_ERROR_CLASS

// A stream that ends before the value being read: "Stream read error".
class EReadError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// printf-style formatting of a message with one argument.
std::string Format(const char* fmt, const std::string& arg);
std::string Format(const char* fmt, long long arg);

}  // namespace fusewick
