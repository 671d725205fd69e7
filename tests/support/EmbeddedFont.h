#pragma once

// Makes the embedded application font, at `pixelSize` pixels, the font of every widget a suite creates, so
// that sizes and pictures do not depend on the fonts a machine happens to have. Returns false when the
// embedded font could not be registered.
bool useEmbeddedFont(int pixelSize);
