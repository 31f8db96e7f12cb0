#include "app/commandline.h"

namespace rida::app {

const char* const kProgramUsage = "usage: rida [--archive] [--database URL|PATH] [--pages DIR]\n"
                                  "  without options: the demonstration build\n"
                                  "  --archive                the archive edition\n"
                                  "  --database URL|PATH      its database (implies --archive)\n"
                                  "  --pages DIR              its page folder (implies --archive)\n";

ProgramOptions parseProgramOptions(const QStringList& arguments)
{
    ProgramOptions options;
    for (qsizetype k = 1; k < arguments.size(); ++k) {
        const QString& arg = arguments[k];
        auto value = [&](QString& into) {
            if (k + 1 >= arguments.size() || arguments[k + 1].isEmpty()) {
                options.error = QStringLiteral("%1 뒤에 값이 없습니다.").arg(arg);
                return false;
            }
            into = arguments[++k];
            options.archive = true;
            return true;
        };
        if (arg == QLatin1String("--archive")) {
            options.archive = true;
        } else if (arg == QLatin1String("--database")) {
            if (!value(options.database))
                return options;
        } else if (arg == QLatin1String("--pages")) {
            if (!value(options.pages))
                return options;
        } else if (arg == QLatin1String("--help")) {
            options.help = true;
        } else if (arg.startsWith(u'-')) {
            options.error = QStringLiteral("알 수 없는 옵션입니다: %1").arg(arg);
            return options;
        } else {
            options.error = QStringLiteral("알 수 없는 인자입니다: %1").arg(arg);
            return options;
        }
    }
    return options;
}

} // namespace rida::app
