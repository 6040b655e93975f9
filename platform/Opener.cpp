#include "platform/Opener.h"

#include <QDesktopServices>

namespace {
Opener::Handler &handlerSlot()
{
    static Opener::Handler handler;
    return handler;
}
} // namespace

bool Opener::openUrl(const QUrl &url)
{
    if (handlerSlot())
        return handlerSlot()(url);
    return QDesktopServices::openUrl(url);
}

void Opener::setHandler(Handler handler)
{
    handlerSlot() = std::move(handler);
}
