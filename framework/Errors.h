#pragma once

#include <stdexcept>
#include <string>

namespace zent {

// Every error the program reports to a person is one of these; its message is shown as it is.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

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
