#pragma once
// Which physical button each key row stands for.

namespace orvix {

// The 1-based number the receiver gives the button of each key row Tag 1 to 5; the device key
// index is that number minus 1. The numbers shown on screen are the Tags.
inline constexpr int keyIndexMap[5] = {3, 5, 2, 1, 4};

}  // namespace orvix
