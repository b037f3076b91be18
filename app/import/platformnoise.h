#pragma once

// The offscreen platform plug-in, which headless runs use, does not
// implement size hints: whenever a shown top-level widget's minimum or
// maximum size changes (a dialog's layout sets it when the dialog is
// shown), Qt warns "This plugin does not support propagateSizeHints()".
// Nothing is wrong and nobody can act on it, so exactly that message is
// dropped, as is Qt's note that XDG_RUNTIME_DIR is not set (a session
// without one, such as a build machine's, gets a folder in /tmp instead);
// every other message goes to Qt's handler as before.
void silencePlatformNoise();
