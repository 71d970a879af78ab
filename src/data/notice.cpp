#include "data/notice.h"

namespace Notice {
namespace {

Hook &hook()
{
    static Hook installed;
    return installed;
}

} // namespace

void SetHook(Hook installed)
{
    hook() = std::move(installed);
}

void Show(const QString &text)
{
    if (hook())
        hook()(text);
}

} // namespace Notice
