#include "editor/ToolTipTable.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

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
