#pragma once

#include <QJsonDocument>
#include <QString>

class KestrowCore;
struct FoundItem;

// One item as the main window's information panel describes it: the panel's caption and its
// captioned rows, as text or as JSON (docs/cli-json.md).
class ItemReport {
public:
    static QString text(const KestrowCore& core, const FoundItem& found);
    static QJsonDocument json(const KestrowCore& core, const FoundItem& found);
};
