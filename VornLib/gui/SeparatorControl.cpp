#include "VornLib/gui/SeparatorControl.h"

namespace vorn {

SeparatorControl::SeparatorControl() {
    SystemColour clear;
    clear.colour = {0, 0, 0, 0};
    setBackground(clear);
}

Result SeparatorControl::readAttributes(const XmlNode&) {
    setDefaultHeight(2, 0);
    return kResultOk;
}

void SeparatorControl::paint(HDC dc, const RECT&) {
    RECT client = {};
    GetClientRect(handle(), &client);
    RECT line = client;
    if (client.bottom > client.right) {
        line.left = client.right / 2 - 1;
        line.right = line.left + 2;
        DrawEdge(dc, &line, EDGE_ETCHED, BF_LEFT);
    } else {
        line.top = client.bottom / 2 - 1;
        line.bottom = line.top + 2;
        DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    }
}

} // namespace vorn
