#pragma once

namespace quillon_test {

// True when this Windows program runs under Wine rather than Windows (always false on
// Linux). A case that meets a Wine limitation skips with a message naming the Wine
// function; it never passes in its place.
bool UnderWine();

}  // namespace quillon_test
