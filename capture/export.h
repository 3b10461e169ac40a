#pragma once
// Kvo_dll.so is built with hidden symbols; only what carries this mark is exported. The caller
// finds the exports by their plain names.
#define KVO_EXPORT extern "C" __attribute__((visibility("default")))
