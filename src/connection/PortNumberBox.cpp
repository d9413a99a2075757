#include "connection/PortNumberBox.h"

#include "app/AppState.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

void bindPortNumberBox(QLineEdit& box, AppState& state) {
    const qsizetype length = decltype(state.portNumberText)::capacity();
    box.setMaxLength(int(length));
    box.setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[ -~]{0,%1}").arg(length)), &box));
    box.setText(QString::fromLatin1(state.portNumberText.view()));
    QObject::connect(&box, &QLineEdit::textChanged, &box, [&state](const QString& text) {
        state.portNumberText.assign(text.toLatin1());
    });
}
