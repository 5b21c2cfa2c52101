// The platform's style bits as ControlWords.h spells them, pinned to the
// platform's own values: a wrong one fails the build.
#include "VornLib/core/Win32.h"

#include <commctrl.h>

#include "VornLib/gui/ControlWords.h"

namespace vorn {

static_assert(kStylePopup == WS_POPUP && kStyleVisible == WS_VISIBLE);
static_assert(kStyleClipSiblings == WS_CLIPSIBLINGS && kStyleClipChildren == WS_CLIPCHILDREN);
static_assert(kStyleCaption == WS_CAPTION && kStyleBorder == WS_BORDER);
static_assert(kStyleDialogFrame == WS_DLGFRAME && kStyleSystemMenu == WS_SYSMENU);
static_assert(kStyleGroup == WS_GROUP && kExStyleAcceptFiles == WS_EX_ACCEPTFILES);
static_assert(kDialogModalFrame == DS_MODALFRAME && kDialogSetFont == DS_SETFONT);
static_assert(kDialogFixedSystem == DS_FIXEDSYS && kDialog3DLook == DS_3DLOOK);
static_assert(kExStyleStaticEdge == WS_EX_STATICEDGE && kExStyleClientEdge == WS_EX_CLIENTEDGE);
static_assert(kExStyleWindowEdge == WS_EX_WINDOWEDGE &&
              kExStyleDialogModalFrame == WS_EX_DLGMODALFRAME);
static_assert(SS_LEFT == 0 && kStaticCenter == SS_CENTER && kStaticRight == SS_RIGHT);
static_assert(kStaticEtchedHorizontal == SS_ETCHEDHORZ && kStaticEtchedVertical == SS_ETCHEDVERT);
static_assert(kStaticEtchedFrame == SS_ETCHEDFRAME && kStaticTypeMask == SS_TYPEMASK);
static_assert(kStaticCenterImage == SS_CENTERIMAGE && kStaticSunken == SS_SUNKEN);
static_assert(kButtonLeft == BS_LEFT && kButtonRight == BS_RIGHT && kButtonCenter == BS_CENTER);
static_assert(ES_LEFT == 0 && kEditCenter == ES_CENTER && kEditRight == ES_RIGHT);
static_assert(kEditUpperCase == ES_UPPERCASE && kEditLowerCase == ES_LOWERCASE);
static_assert(kComboSimple == CBS_SIMPLE && kComboDropDown == CBS_DROPDOWN &&
              kComboDropDownList == CBS_DROPDOWNLIST);
static_assert(kListSingleSelection == LVS_SINGLESEL &&
              kListShowSelectionAlways == LVS_SHOWSELALWAYS);
static_assert(LVS_ICON == 0 && kListTypeMask == LVS_TYPEMASK);
static_assert(kListNoColumnHeader == LVS_NOCOLUMNHEADER && kListNoSortHeader == LVS_NOSORTHEADER);
static_assert(kColumnLeft == LVCFMT_LEFT && kColumnRight == LVCFMT_RIGHT &&
              kColumnCenter == LVCFMT_CENTER);
static_assert(TBS_BOTTOM == 0 && kTrackTop == TBS_TOP && kTrackBoth == TBS_BOTH &&
              kTrackVertical == TBS_VERT);

} // namespace vorn
