#pragma once

namespace exthost {

// Makes every large buffer go back to the system when it is freed. A command's output can
// be many megabytes; with the allocator's own adaptive threshold the second such answer
// would be served from, and kept in, the heap, so the service would stay that large.
void ReturnLargeBuffersToTheSystem();

}  // namespace exthost
