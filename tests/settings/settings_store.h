// The platform's settings store as the tests see it from outside.
#pragma once

#include <string>

namespace store {

// Removes everything stored, so the next read is a first run.
void Clear();
// Stores a text under a value name the store's usual way, as another program might.
void PutText(const std::string& name, const std::string& text);
// The stored text of a value; false when there is none.
bool Stored(const std::string& name, std::string* text);

}  // namespace store
