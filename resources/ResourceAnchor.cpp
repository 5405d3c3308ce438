// The library that carries the built-in resources; their data is compiled in by the resource compiler.
namespace brivo_resources_anchor {
int anchor = 0;
}
