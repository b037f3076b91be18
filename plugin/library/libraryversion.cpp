// The plug-in library is the whole importer archive linked into one shared
// object; this file only gives that target a translation unit of its own.
namespace {
[[maybe_unused]] const char libraryVersion[] = "crvparamicsimporter6 1.1";
}
