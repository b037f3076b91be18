#include "import/platformnoise.h"

#include <QString>
#include <QtGlobal>

namespace {

QtMessageHandler previousHandler = nullptr;

void dropSizeHintWarning(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg
        && (message == QLatin1String("This plugin does not support propagateSizeHints()")
            || message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

}  // namespace

void silencePlatformNoise()
{
    if (previousHandler)
        return;
    previousHandler = qInstallMessageHandler(dropSizeHintWarning);
}
