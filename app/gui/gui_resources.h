#pragma once
// The pictures are compiled into the static GUI library; a static library drops the
// registration object unless someone asks for it, so every user of the pictures does.

namespace z2e {

/// Registers the compiled-in pictures (":/tree_icons/...", ":/enc_icons/...", ":/icons/...").
/// Safe to call any number of times.
void initGuiResources();

} // namespace z2e
