#include "app/cli/ItemReport.h"

#include "app/cli/ItemLookup.h"
#include "app/shell/SelectionView.h"
#include "control/records/Definitions.h"

#include <QJsonArray>
#include <QJsonObject>

// An item's panel always shows its three rows; only folders show a description.

QString ItemReport::text(const KestrowCore& core, const FoundItem& found)
{
    const SelectionView view = SelectionView::of(core, found.node);
    QString text = view.frameCaption + u'\n';
    for (const SelectionView::Row& row : view.rows)
        text += QStringLiteral("  ") + row.caption + u' ' + row.value + u'\n';
    return text;
}

QJsonDocument ItemReport::json(const KestrowCore& core, const FoundItem& found)
{
    const SelectionView view = SelectionView::of(core, found.node);
    QJsonArray rows;
    for (const SelectionView::Row& row : view.rows)
        rows.append(QJsonObject{{QStringLiteral("caption"), row.caption}, {QStringLiteral("value"), row.value}});
    return QJsonDocument(QJsonObject{
        {QStringLiteral("kind"), found.kind == ITEM_FILETYPE ? QStringLiteral("fileType") : QStringLiteral("fileExtension")},
        {QStringLiteral("caption"), view.frameCaption},
        {QStringLiteral("rows"), rows}});
}
