// Writes the program's icon for the desktop's icon theme: <out>/hicolor/<n>x<n>/apps/qxlogging.png for the
// theme's usual sizes, and <out>/hicolor/scalable/apps/qxlogging.svg. Both are drawn from one description
// (a slate tile with a green, a yellow and a red level bar), so every size shows the same picture.
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QTextStream>
#include <cstdio>

namespace {

// The drawing on a 64-unit square.
constexpr double kUnits = 64.0;
constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

struct TShape {
    QRectF rBox;
    double fRadius;
    const char* sColor;
};

constexpr TShape kTile{{2, 2, 60, 60}, 11, "#46596b"};
constexpr TShape kBaseLine{{10, 49, 44, 3}, 1.5, "#d8e0e8"};
constexpr TShape kBars[] = {
    {{12, 27, 11, 22}, 2, "#3fbf4f"},
    {{26.5, 13, 11, 36}, 2, "#f2c73a"},
    {{41, 21, 11, 28}, 2, "#e5483c"},
};

QString SvgRect(const TShape& s) {
    return QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"%6\"/>\n")
        .arg(s.rBox.x())
        .arg(s.rBox.y())
        .arg(s.rBox.width())
        .arg(s.rBox.height())
        .arg(s.fRadius)
        .arg(QLatin1String(s.sColor));
}

bool WriteSvg(const QString& sPath) {
    QFile f(sPath);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QTextStream Out(&f);
    Out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" height=\"64\" viewBox=\"0 0 64 64\">\n";
    Out << SvgRect(kTile);
    for (const TShape& Bar : kBars)
        Out << SvgRect(Bar);
    Out << SvgRect(kBaseLine);
    Out << "</svg>\n";
    return Out.status() == QTextStream::Ok;
}

void Paint(QPainter& p, const TShape& s) {
    QPainterPath Path;
    Path.addRoundedRect(s.rBox, s.fRadius, s.fRadius);
    p.fillPath(Path, QColor(QLatin1String(s.sColor)));
}

bool WritePng(const QString& sPath, int iSize) {
    QImage Image(iSize, iSize, QImage::Format_ARGB32_Premultiplied);
    Image.fill(Qt::transparent);
    QPainter p(&Image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(iSize / kUnits, iSize / kUnits);
    Paint(p, kTile);
    for (const TShape& Bar : kBars)
        Paint(p, Bar);
    Paint(p, kBaseLine);
    p.end();
    return Image.save(sPath, "PNG");
}

} // namespace

int main(int argc, char** argv) {
    // Raster painting without text needs no application object, so this runs at build time without a display.
    if (argc != 2) {
        std::fprintf(stderr, "usage: qxlogging-icons OUTPUT-FOLDER\n");
        return 2;
    }
    const QString sRoot = QFile::decodeName(argv[1]) + QStringLiteral("/hicolor");
    for (const int iSize : kSizes) {
        const QString sFolder = sRoot + QStringLiteral("/%1x%1/apps").arg(iSize);
        if (!QDir().mkpath(sFolder) || !WritePng(sFolder + QStringLiteral("/qxlogging.png"), iSize)) {
            std::fprintf(stderr, "could not write the %d pixel icon\n", iSize);
            return 1;
        }
    }
    const QString sScalable = sRoot + QStringLiteral("/scalable/apps");
    if (!QDir().mkpath(sScalable) || !WriteSvg(sScalable + QStringLiteral("/qxlogging.svg"))) {
        std::fprintf(stderr, "could not write the scalable icon\n");
        return 1;
    }
    return 0;
}
