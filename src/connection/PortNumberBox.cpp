#include "connection/PortNumberBox.h"

#include "core/AppState.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

void bindPortNumberBox(QLineEdit& box, AppState& state) {
    const qsizetype length = decltype(state.link.portNumberText)::capacity();
    box.setMaxLength(int(length));
    box.setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[ -~]{0,%1}").arg(length)), &box));
    box.setText(QString::fromLatin1(state.link.portNumberText.view()));
    QObject::connect(&box, &QLineEdit::textChanged, &box, [&state](const QString& text) {
        state.link.portNumberText.assign(text.toLatin1());
    });
}
