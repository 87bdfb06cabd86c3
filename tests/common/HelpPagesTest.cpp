#include "tests/support/QStringPrinter.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <map>

namespace {

// The pages as they stand in the source tree, from where the build copies and installs them.
QDir sourceFolder(const QString& relative)
{
    return QDir(QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../../") + relative));
}

QDir helpFolder()
{
    return sourceFolder(QStringLiteral("resources/help"));
}

struct Page {
    QString title;
    QStringList links;  // every href
    QSet<QString> ids;  // every id, the targets of "page.html#id"
    QStringList extras; // what would need more than the page itself: scripts, style sheets, images
    QString error;      // where the page is not well-formed
};

// The pages are written as well-formed XML (valid HTML5 as well), so that they can be read here
// without an HTML parser.
Page readPage(const QString& fileName)
{
    Page page;
    QFile file(helpFolder().filePath(fileName));
    if (!file.open(QIODevice::ReadOnly)) {
        page.error = QStringLiteral("missing");
        return page;
    }
    QXmlStreamReader reader(&file);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        if (attributes.hasAttribute(QStringLiteral("id")))
            page.ids.insert(attributes.value(QStringLiteral("id")).toString());
        if (attributes.hasAttribute(QStringLiteral("href")))
            page.links << attributes.value(QStringLiteral("href")).toString();
        const QString element = reader.name().toString();
        if (attributes.hasAttribute(QStringLiteral("src")) || element == QStringLiteral("script") ||
            element == QStringLiteral("link"))
            page.extras << element;
        if (element == QStringLiteral("title"))
            page.title = reader.readElementText().trimmed();
    }
    if (reader.hasError())
        page.error = QStringLiteral("line %1: %2").arg(reader.lineNumber()).arg(reader.errorString());
    return page;
}

std::map<QString, Page> allPages()
{
    std::map<QString, Page> pages;
    for (const QString& name : helpFolder().entryList({QStringLiteral("*.html")}, QDir::Files))
        pages[name] = readPage(name);
    return pages;
}

// The pages that the program's and the library's sources name.
QSet<QString> pagesNamedInSources()
{
    static const QRegularExpression pageName(QStringLiteral("\"([A-Za-z0-9_]+\\.html)\""));
    QSet<QString> names;
    for (const char* folder : {"app", "common", "control"}) {
        QDirIterator it(sourceFolder(QLatin1String(folder)).path(), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile source(it.next());
            if (!source.open(QIODevice::ReadOnly))
                continue;
            const QString text = QString::fromUtf8(source.readAll());
            for (const QRegularExpressionMatch& match : pageName.globalMatch(text))
                names.insert(match.captured(1));
        }
    }
    return names;
}

TEST(HelpPageFiles, EveryPageTheProgramOpensIsThereWithATitle)
{
    // The pages the windows' help icons and the Help menu open, and any other a source names.
    QSet<QString> opened{QStringLiteral("index.html"),       QStringLiteral("editing.html"),
                         QStringLiteral("adding.html"),      QStringLiteral("other_flags.html"),
                         QStringLiteral("other_find.html"),  QStringLiteral("other_clsid_tool.html")};
    opened.unite(pagesNamedInSources());
    for (const QString& name : opened) {
        SCOPED_TRACE(name.toStdString());
        const Page page = readPage(name);
        EXPECT_EQ(page.error, QString());
        EXPECT_FALSE(page.title.isEmpty());
    }
}

TEST(HelpPageFiles, EveryLinkResolvesAndNothingIsFetched)
{
    const std::map<QString, Page> pages = allPages();
    ASSERT_FALSE(pages.empty());
    for (const auto& [name, page] : pages) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(page.error, QString());
        EXPECT_EQ(page.extras, QStringList());
        for (const QString& link : page.links) {
            SCOPED_TRACE(link.toStdString());
            const QString target = link.section(u'#', 0, 0).isEmpty() ? name : link.section(u'#', 0, 0);
            const QString anchor = link.section(u'#', 1);
            const auto found = pages.find(target);
            ASSERT_NE(found, pages.end()) << "no such page in the help folder";
            if (!anchor.isEmpty()) {
                EXPECT_TRUE(found->second.ids.contains(anchor)) << "no such place on the page";
            }
        }
    }
}

TEST(HelpPageFiles, EveryPageIsReachableFromTheContents)
{
    const std::map<QString, Page> pages = allPages();
    QStringList toVisit{QStringLiteral("index.html")};
    QSet<QString> reached;
    while (!toVisit.isEmpty()) {
        const QString name = toVisit.takeFirst();
        if (reached.contains(name) || pages.find(name) == pages.end())
            continue;
        reached.insert(name);
        for (const QString& link : pages.at(name).links)
            toVisit << link.section(u'#', 0, 0);
    }
    for (const auto& [name, page] : pages)
        EXPECT_TRUE(reached.contains(name)) << name.toStdString();
}

} // namespace
