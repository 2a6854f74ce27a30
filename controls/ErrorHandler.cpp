#include "controls/ErrorHandler.h"

#include "controls/Dialogs.h"
#include "framework/Errors.h"

#include <QCoreApplication>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdio>
#include <exception>

namespace zent {

namespace {
QPointer<QWidget> gErrorParent;
MessageTranslator gTranslator = nullptr;
} // namespace

void SetMessageTranslator(MessageTranslator translator) {
    gTranslator = translator;
}

void SetErrorParent(QWidget* parent) {
    gErrorParent = parent;
}

QString ExceptionMessage(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return gTranslator ? gTranslator(TextOf(e)) : QString::fromUtf8(e.what());
    } catch (...) {
        return QCoreApplication::translate("CoreText", "Unknown error");
    }
}

void HandleException(std::exception_ptr error) noexcept {
    QString message;
    try {
        message = ExceptionMessage(error);
        Dialogs::Current().ShowError(gErrorParent, message);
    } catch (...) {
        // Nothing left to show it with; keep the message somewhere a person can find it.
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
}

} // namespace zent
