#include "panes/KindIcons.h"

#include "editor/Keywords.h"

namespace {

std::function<QIcon(int)>& Pictures()
{
    static std::function<QIcon(int)> pictures;
    return pictures;
}

}  // namespace

int KindPicture(int kind)
{
    switch (kind) {
    case kKindCommand: return 17;
    case kKindGlobal: return 1;
    case kKindType: return 10;
    case kKindFunction: return 13;
    case kKindLabel: return 12;
    case kKindConst: return 14;
    case 7: return 18;
    default: return 20;  // locals and anything else
    }
}

QIcon KindIcon(int kind)
{
    return Pictures() ? Pictures()(KindPicture(kind)) : QIcon();
}

QIcon FieldIcon()
{
    constexpr int kFieldPicture = 21;
    return Pictures() ? Pictures()(kFieldPicture) : QIcon();
}

void SetKindPictures(std::function<QIcon(int picture)> pictures)
{
    Pictures() = std::move(pictures);
}
