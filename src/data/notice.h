#pragma once
// How a routine of the data layer tells the user something: it reports a notice, and the
// program's shell shows it (through its message boxes). The data layer shows no window.

#include <QString>
#include <functional>

namespace Notice {

using Hook = std::function<void(const QString &text)>;
// Installs the function that shows notices; nullptr drops them.
void SetHook(Hook hook);
// Reports `text` through the installed hook.
void Show(const QString &text);

} // namespace Notice
