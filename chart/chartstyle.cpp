#include "chart/chartstyle.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPaintDevice>
#include <QString>

#include <algorithm>
#include <vector>

QFont ChartStyle::chartFont(const QFont &base, int pointSize, int weight)
{
    QFont font(base);
    font.setFamily(QStringLiteral("Helvetica"));
    font.setPointSize(pointSize);
    if (weight >= 0)
        font.setWeight(QFont::Weight(weight));
    return font;
}

qreal ChartStyle::textWidth(const QFont &font, const QPaintDevice *device, const QString &text)
{
    struct Widths
    {
        QFont font;
        int dpi;
        QHash<QString, qreal> ofText;
    };
    // The chart uses a handful of fonts; what a paste brings (statistics, labels) is bounded
    // by dropping everything now and then.
    constexpr qsizetype maximumTexts = 256;
    thread_local std::vector<Widths> known;

    const int dpi = device->logicalDpiY();
    auto widths = std::find_if(known.begin(), known.end(),
                               [&](const Widths &w) { return w.dpi == dpi && w.font == font; });
    if (widths == known.end()) {
        if (known.size() >= 8)
            known.clear();
        known.push_back({font, dpi, {}});
        widths = known.end() - 1;
    }
    const auto found = widths->ofText.constFind(text);
    if (found != widths->ofText.constEnd())
        return *found;
    if (widths->ofText.size() >= maximumTexts)
        widths->ofText.clear();
    const qreal width = QFontMetricsF(font, device).horizontalAdvance(text);
    widths->ofText.insert(text, width);
    return width;
}
