#include "mainlayout.h"

#include "maincatalogue.h"

std::optional<TwipSize> MainLayout::minimumSizeCorrection(TwipSize outer)
{
    const TwipSize minimum = MainCatalogue::minimumSize;
    if (outer.width < minimum.width)
        return TwipSize{minimum.width, outer.height};
    if (outer.height < minimum.height)
        return TwipSize{outer.width, minimum.height};
    return std::nullopt;
}

QHash<QString, TwipRect> MainLayout::place(TwipSize outer)
{
    QHash<QString, TwipRect> g;
    for (const ControlSpec &entry : MainCatalogue::controls())
        g.insert(entry.key(), entry.geometry);

    const int W = outer.width;
    const int H = outer.height;
    const auto key = [](const char *name, int index = -1) { return controlKey(QString::fromUtf8(name), index); };

    for (int i = 0; i < 2; ++i) {
        g[key("fraMain", i)].width = W - 165;
        g[key("fraMain", i)].height = H - 705;
    }
    TwipRect &text1 = g[key("Text1")];
    text1.width = W - 405;
    text1.height = H - 2385;
    g[key("lblFilename")].width = text1.width;
    g[key("cmdCompile")].width = W - 405;

    TwipRect &list1 = g[key("List1")];
    list1.height = H - 3945;
    list1.width = W - 405;

    TwipRect &locate0 = g[key("cmdLocate", 0)];
    locate0.width = W - 3165;
    locate0.top = list1.height + 345;
    g[key("cmdCompile")].top = list1.height + 2385;
    g[key("cmdFindPrev")].top = locate0.top;
    g[key("cmdFind")].top = g[key("cmdFindPrev")].top;
    g[key("cmdFindNext")].top = g[key("cmdFind")].top;
    g[key("cmdFindPrev")].left = W - 1980;
    g[key("cmdFind")].left = W - 1500;
    g[key("cmdFindNext")].left = W - 780;
    g[key("Command1")].top = locate0.top;

    TwipRect &frame1 = g[key("Frame1")];
    frame1.left = W / 2 - 3210;
    frame1.top = text1.height + 585;

    for (int i = 1; i <= 3; ++i) {
        g[key("cmdLocate", i)].top = g[key("cmdLocate", i - 1)].top + 495;
        g[key("cmdClrEntry", i)].top = (i == 1 ? g[key("Command1")].top : g[key("cmdClrEntry", i - 1)].top) + 495;
        g[key("cmdLocate", i)].width = W - 1485;
    }
    return g;
}
