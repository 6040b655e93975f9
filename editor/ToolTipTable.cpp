#include "editor/ToolTipTable.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
// The texts of resources/tooltips.json, so that lupdate offers them to the translators
// (it does not read JSON). The help segment's entry is a page's path, not a text.
[[maybe_unused]] constexpr const char *kAssetToolTips[] = {
    QT_TRANSLATE_NOOP("EditorToolTips", "Save the picture to a file"),
    QT_TRANSLATE_NOOP("EditorToolTips", "Upload the picture and copy its link"),
    QT_TRANSLATE_NOOP("EditorToolTips", "Copy the picture to the clipboard"),
    QT_TRANSLATE_NOOP("EditorToolTips", "Select and move figures"),
    QT_TRANSLATE_NOOP("EditorToolTips", "Rectangle"),
    QT_TRANSLATE_NOOP("EditorToolTips", "Ellipse"),
    QT_TRANSLATE_NOOP("EditorToolTips", "Line"),
    QT_TRANSLATE_NOOP("EditorToolTips", "Arrow"),
    QT_TRANSLATE_NOOP("EditorToolTips", "Filled rectangle"),
    QT_TRANSLATE_NOOP("EditorToolTips", "Filled ellipse"),
    QT_TRANSLATE_NOOP("EditorToolTips", "Text"),
    QT_TRANSLATE_NOOP("EditorToolTips", "Larger text"),
    QT_TRANSLATE_NOOP("EditorToolTips", "Smaller text"),
    QT_TRANSLATE_NOOP("EditorToolTips", "Line width"),
    QT_TRANSLATE_NOOP("EditorToolTips", "Line color"),
    QT_TRANSLATE_NOOP("EditorToolTips", "Fill color"),
};
} // namespace

QString translatedToolTip(const QString &text)
{
    return QCoreApplication::translate("EditorToolTips", text.toUtf8().constData());
}

QMap<int, QString> parseToolTips(const QByteArray &json)
{
    QMap<int, QString> table;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return table;
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        bool isNumber = false;
        const int index = it.key().toInt(&isNumber, 10);
        if (!isNumber || !it.value().isString())
            continue;
        const QString text = it.value().toString().trimmed();
        if (!text.isEmpty())
            table.insert(index, text);
    }
    return table;
}

QByteArray toolTipsAsset()
{
    QFile file(QStringLiteral(":/tooltips.json"));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}
