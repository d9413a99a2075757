#include "sim/monitor/AreaPicture.h"

#include "sim/monitor/AutoSwitching.h"

namespace sim {

QString AreaPicture::text() const {
    QString text;
    for (const TitleCell& cell : cells) {
        if (cell.kind == TitleCell::Kind::Glyph)
            text += QStringLiteral("[%1]").arg(cell.glyphNumber, 2, 10, QLatin1Char('0'));
        else
            text += cell.character;
    }
    return text;
}

QString AreaPicture::status() const {
    QString pageText;
    if (automatic && page < 0)
        pageText = QStringLiteral("AUTO, no page");
    else if (automatic)
        pageText = QStringLiteral("AUTO page %1").arg(page + 1);
    else
        pageText = QStringLiteral("page %1").arg(page + 1);
    return QStringLiteral("%1 · %2 · position %3")
        .arg(pageText, shown ? QStringLiteral("ON") : QStringLiteral("OFF"))
        .arg(position);
}

AreaPicture pictureOf(const DeviceModel& model, const AutoSwitching& switching, int area) {
    AreaPicture picture;
    picture.automatic = model.displayPage(area) == DeviceModel::autoPage;
    picture.page = picture.automatic ? switching.currentPage(area) : model.displayPage(area);
    picture.shown = picture.page >= 0 && model.titleShown(area, picture.page);
    picture.position = model.displayPosition(area);
    picture.whiteLevel = model.whiteLevel();
    picture.edgeLevel = model.edgeLevel();
    picture.cells.fill(TitleCell::blank());
    if (picture.shown) {
        const DeviceModel::TitleCodes codes = model.titleCodes(area, picture.page);
        for (int i = 0; i < DeviceModel::titleLength; ++i)
            picture.cells[i] = titleCell(codes[i], model);
    }
    return picture;
}

} // namespace sim
