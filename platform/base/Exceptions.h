#pragma once
// Failures are exceptions carrying the message text the user sees.
#include <exception>
#include <string>

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : FMessage(std::move(message)) {}
  const std::string& Message() const noexcept { return FMessage; }
  void SetMessage(std::string message) { FMessage = std::move(message); }
  const char* what() const noexcept override { return FMessage.c_str(); }

 private:
  std::string FMessage;
};

#define TAMBLIN_EXCEPTION(Name, Base) \
  class Name : public Base {          \
   public:                            \
    using Base::Base;                 \
  }

// Silent: the message loop swallows it without a box.
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
  using Exception::Exception;
};

TAMBLIN_EXCEPTION(EConvertError, Exception);
TAMBLIN_EXCEPTION(EListError, Exception);
TAMBLIN_EXCEPTION(EStringListError, Exception);
TAMBLIN_EXCEPTION(EStreamError, Exception);
TAMBLIN_EXCEPTION(EFilerError, EStreamError);
TAMBLIN_EXCEPTION(EReadError, EFilerError);
TAMBLIN_EXCEPTION(EWriteError, EFilerError);
TAMBLIN_EXCEPTION(EFCreateError, EStreamError);
TAMBLIN_EXCEPTION(EFOpenError, EStreamError);
TAMBLIN_EXCEPTION(EInOutError, Exception);
TAMBLIN_EXCEPTION(EOutOfMemory, Exception);
TAMBLIN_EXCEPTION(EOutOfResources, Exception);
TAMBLIN_EXCEPTION(EInvalidOperation, Exception);
TAMBLIN_EXCEPTION(EInvalidPointer, Exception);
TAMBLIN_EXCEPTION(EThread, Exception);
TAMBLIN_EXCEPTION(EMathError, Exception);
TAMBLIN_EXCEPTION(EZeroDivide, EMathError);
TAMBLIN_EXCEPTION(ERangeError, Exception);
TAMBLIN_EXCEPTION(EInvalidGraphic, Exception);
TAMBLIN_EXCEPTION(EInvalidGraphicOperation, Exception);
TAMBLIN_EXCEPTION(EComponentError, Exception);
TAMBLIN_EXCEPTION(ESocketError, Exception);
TAMBLIN_EXCEPTION(EIniFileException, Exception);
