#pragma once
// The application's error report: a failure raised inside a handler or the creation step ends that
// handler; its text is shown in a message box titled with the application's title, and the
// application keeps running.

#include <exception>
#include <functional>

class QString;
class QWidget;

namespace orvix {

void reportError(const QString& text);

// Runs a handler under the error convention.
void guarded(const std::function<void()>& handler);

}  // namespace orvix
