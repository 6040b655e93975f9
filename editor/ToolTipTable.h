#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// The editor tool bar's tool tips come from the "tooltips" data asset: a JSON object
// whose keys are decimal segment indexes and whose values are the texts.

// Parses the asset: keeps each pair whose key is a decimal integer and whose text,
// trimmed, is not empty (the trimmed text is kept). Anything that is not a JSON
// object gives an empty table.
QMap<int, QString> parseToolTips(const QByteArray &json);

// The asset compiled into the binary (empty when missing).
QByteArray toolTipsAsset();

// A tool tip of the asset or of the tool table in the user's language. The asset's
// texts are English; their translations are looked up under the context
// "EditorToolTips", where the list beside parseToolTips marks them for the translators.
QString translatedToolTip(const QString &text);
