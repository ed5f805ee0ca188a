// Drawing choices of the skinned text and button windows.
#pragma once

#include <cstdint>

namespace velmora {

enum class TextAlign { Left, Centre, Right };

// Alignment mode: 0 left, 6 centred, any other value right.
constexpr TextAlign textAlignFor(int32_t mode) {
    return mode == 0 ? TextAlign::Left : mode == 6 ? TextAlign::Centre : TextAlign::Right;
}

// A skinned button draws its down image only for check state exactly 1 and
// only when a down image is loaded; otherwise its up image.
constexpr bool showsDownImage(int32_t checkState, bool downImageLoaded) {
    return checkState == 1 && downImageLoaded;
}

} // namespace velmora
