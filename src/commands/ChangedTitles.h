#pragma once

#include <QList>
#include <QObject>

struct CommandContext;
struct AppState;
struct SettingsDocument;
struct Exchange;
struct InterpretedReply;

// Keeps the marks of the changed titles (AppState::changedTitles) in step with the device: a
// title's mark goes when the device accepts ("GO") a stored-title line that carries the title as
// the document now holds it, or when a read-back reports the device's title into the document.
// A line accepted after the operator typed on is the older title, and the mark stays; so does
// the mark of a title sent "Not Memory", which the device forgets when it restarts.
class ChangedTitles : public QObject {
    Q_OBJECT
public:
    explicit ChangedTitles(CommandContext& context, QObject* parent = nullptr);

    // The marked titles' indexes, in index order.
    static QList<int> indexes(const AppState& state);

private:
    void followExchange(const Exchange& exchange);
    void followReply(const InterpretedReply& reply);

    AppState& state_;
    const SettingsDocument& document_;
};
