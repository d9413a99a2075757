#include "connection/ConnectionDialog.h"

#include <QAbstractButton>

void ConnectionDialog::closeOn(QAbstractButton& button) {
    connect(&button, &QAbstractButton::clicked, this, [this] { done(closedResult); });
}
