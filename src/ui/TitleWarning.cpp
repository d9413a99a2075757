#include "ui/TitleWarning.h"

#include "commands/TitleCharacters.h"
#include "document/DatFile.h"

QString titleWarning(QByteArrayView title) {
    QString warning = titleProblem(title).value_or(QString());
    const auto refused = refusedCharacters(title);
    if (refused.size() > 1)
        warning += QStringLiteral("（ほか%1文字）").arg(refused.size() - 1);
    if (!titleFitsFile(title)) {
        warning += QLatin1Char('\n');
        warning += title == "s"
                       ? QStringLiteral("タイトル「s」はファイルに保存できません。")
                       : QStringLiteral("半角スペースか制御文字があるため保存できません。");
    }
    return warning;
}
