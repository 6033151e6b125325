#pragma once
#include <vector>

#include "core/text/Bytes.h"

namespace parlo {

// The remembered game captions when the configuration dialog is confirmed: a caption already in
// the list (exact bytes) changes nothing; a new one goes to the top and the last entry drops out,
// so the list keeps its length.
void RememberCaption(std::vector<Bytes>& items, const Bytes& text);

}  // namespace parlo
