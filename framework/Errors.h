#pragma once

#include "framework/CoreText.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace zent {

// Every error the program reports to a person is one of these: a message shown as it is, or
// one of the core's texts by identity (what() is then its English text).
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
    explicit Error(const char* message) : std::runtime_error(message) {}
    explicit Error(CoreText text)
        : std::runtime_error(text.English()),
          FText(std::make_shared<const CoreText>(std::move(text))) {}

    // The message by identity; Plain with the message for one of no identity.
    CoreText Text() const { return FText ? *FText : CoreText{CoreTextId::Plain, {what()}}; }

private:
    std::shared_ptr<const CoreText> FText; // shared: copying an exception must not throw
};

// What a person is told of any exception.
CoreText TextOf(const std::exception& error);

// A text that cannot be turned into a value ("Invalid property element: %s").
class EConvertError : public Error {
public:
    using Error::Error;
};

// Misuse of an interface: "%s (%s, line %d)".
class EAssertionFailed : public Error {
public:
    using Error::Error;
};

// Component naming rules.
class EComponentError : public Error {
public:
    using Error::Error;
};

// Index outside a list ("List index out of bounds (%d)").
class EListError : public Error {
public:
    using Error::Error;
};

// A file that cannot be created, written or flushed.
class EStreamError : public Error {
public:
    using Error::Error;
};

// An INI file that cannot be written ("Unable to write to %s").
class EIniFileError : public Error {
public:
    using Error::Error;
};

// A decoder that cannot open a source or fails while decoding it.
class EDecoderError : public Error {
public:
    using Error::Error;
};

} // namespace zent
