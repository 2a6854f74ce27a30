#pragma once

#include "framework/CoreText.h"

#include <QString>
#include <exception>
#include <utility>

class QWidget;

namespace zent {

// The text a person is shown for an error.
QString ExceptionMessage(std::exception_ptr error);

// The application-wide handler: shows the message of the exception in flight in an error box.
void HandleException(std::exception_ptr error) noexcept;

// Runs an event handler so that no exception reaches Qt: whatever it throws goes to
// HandleException.
template <typename Handler> void Guarded(Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        HandleException(std::current_exception());
    }
}

// Turns a message into the text shown, in the user's language; none by default.
using MessageTranslator = QString (*)(const CoreText& message);
void SetMessageTranslator(MessageTranslator translator);

// The window that error boxes are centred on.
void SetErrorParent(QWidget* parent);

} // namespace zent
