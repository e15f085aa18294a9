// Image lists: icons held at one size.
#include "user_internal.h"

#include <algorithm>
#include <unordered_set>

struct HostImageList {
    int cx;
    int cy;
    UINT flags;
    int grow;
    std::vector<HICON> images;
};

namespace hostwin {
namespace {

std::unordered_set<HostImageList*>& Lists() {
    static auto* lists = new std::unordered_set<HostImageList*>;  // never destroyed
    return *lists;
}

bool Live(HIMAGELIST list) { return list && Lists().count(list); }

}  // namespace

// A control destroys the image lists it does not share.
void ReleaseImageListWith(HIMAGELIST list) {
    if (!Live(list)) return;
    Lists().erase(list);
    delete list;
}

}  // namespace hostwin

using namespace hostwin;

HOSTWIN_API HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT flags, int initial, int grow) {
    if (cx <= 0 || cy <= 0 || initial < 0) return nullptr;
    auto* list = new HostImageList{cx, cy, flags, grow, {}};
    list->images.reserve(static_cast<std::size_t>(initial));
    Lists().insert(list);
    return list;
}

HOSTWIN_API BOOL WINAPI ImageList_Destroy(HIMAGELIST list) {
    if (!Live(list)) return FALSE;
    ReleaseImageListWith(list);
    return TRUE;
}

// Index -1 appends; another index replaces that image.  Answers the index,
// or -1.
HOSTWIN_API int WINAPI ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon) {
    if (!Live(list) || !icon) return -1;
    if (index == -1) {
        list->images.push_back(icon);
        return static_cast<int>(list->images.size()) - 1;
    }
    if (index < 0 || index >= static_cast<int>(list->images.size())) return -1;
    list->images[static_cast<std::size_t>(index)] = icon;
    return index;
}

HOSTWIN_API int WINAPI ImageList_GetImageCount(HIMAGELIST list) {
    return Live(list) ? static_cast<int>(list->images.size()) : 0;
}
