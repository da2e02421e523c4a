// The program icon: a 32 x 32 picture in 16 colours, a "P" beside a division sign.
#include "app/TeilomatIcon.h"

#include <QPixmap>

namespace teilomat {
namespace {

// XPM rows; the palette uses 9 of the 16 colours of the classic VGA set.
const char* const kIconXpm[] = {"32 32 9 1",
                                "  c None",
                                ". c #000000",
                                "b c #000080",
                                "B c #0000FF",
                                "w c #FFFFFF",
                                "g c #C0C0C0",
                                "r c #FF0000",
                                "y c #FFFF00",
                                "d c #808080",
                                "                                ",
                                "   ..........................   ",
                                "  .bbbbbbbbbbbbbbbbbbbbbbbbbb.  ",
                                " .bBBBBBBBBBBBBBBBBBBBBBBBBBBb. ",
                                " .bBBBBBBBBBBBBBBBBBBBBBBBBBBb. ",
                                " .bBBbbbbbbbbbbbbbbbbbbbbbbbbb. ",
                                " .bBBbwwwwwwwwwwbbbbbbbbbbbbbb. ",
                                " .bBBbwwwwwwwwwwwwbbbbbbbbbbbb. ",
                                " .bBBbwwwwwwwwwwwwdbbbbbbbbbbb. ",
                                " .bBBbwwwwdbbbbbwwdbbbbbbbbbbb. ",
                                " .bBBbwwwwbbbbbbwwdbbbbbbbbbbb. ",
                                " .bBBbwwwwbbbbbbwwdbbbbbbbbbbb. ",
                                " .bBBbwwwwbbbbbbwwdbbbbbbbbbbb. ",
                                " .bBBbwwwwbbbbbbwwdbbbbbbbbbbb. ",
                                " .bBBbwwwwwwwwwwwwdbbbbbbbbbbb. ",
                                " .bBBbwwwwwwwwwwwwbbbbbbbbbbbb. ",
                                " .bBBbwwwwwwwwwwbbbbbbbbbbbbbb. ",
                                " .bBBbwwwwdbbbbbbbbbbyyybbbbbb. ",
                                " .bBBbwwwwdbbbbbbbbbbyyybbbbbb. ",
                                " .bBBbwwwwdbbbbbbbbbbyyybbbbbb. ",
                                " .bBBbwwwwdbbbbbbbbbbbbbbbbbbb. ",
                                " .bBBbwwwwdbbbbbbbrrrrrrrrrbbb. ",
                                " .bBBbwwwwdbbbbbbbrrrrrrrrrbbb. ",
                                " .bBBbwwwwdbbbbbbbrrrrrrrrrbbb. ",
                                " .bBBbwwwwdbbbbbbbbbbbbbbbbbbb. ",
                                " .bBBbwwwwdbbbbbbbbbbyyybbbbbb. ",
                                " .bBBbbddddbbbbbbbbbbyyybbbbbb. ",
                                " .bBBbbbbbbbbbbbbbbbbyyybbbbbb. ",
                                " .bB.........................b. ",
                                "  .bbbbbbbbbbbbbbbbbbbbbbbbbb.  ",
                                "   ..........................   ",
                                "                                "};

}  // namespace

QIcon teilomatIcon() { return QIcon(QPixmap(kIconXpm)); }

}  // namespace teilomat
