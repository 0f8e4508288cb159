#include "terminal_bytes.h"

#include <clocale>
#include <cstdio>
#include <cstring>
#include <cwctype>
#include <langinfo.h>

namespace {
bool terminalUtf8 = true;
}  // namespace

void UseUtf8Characters() {
  terminalUtf8 = setlocale(LC_CTYPE, "") != nullptr && strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
  if (!terminalUtf8) setlocale(LC_CTYPE, "C.UTF-8");
}

size_t Utf8Length(const unsigned char* text, size_t size) {
  if (size == 0) return 0;
  unsigned char lead = text[0];
  if (lead < 0x80) return 1;
  size_t length;
  unsigned char low = 0x80, high = 0xBF;  // the second byte's range
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF) length = 3, low = lead == 0xE0 ? 0xA0 : 0x80, high = lead == 0xED ? 0x9F : 0xBF;
  else if (lead >= 0xF0 && lead <= 0xF4) length = 4, low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
  else return 0;
  if (size < length || text[1] < low || text[1] > high) return 0;
  for (size_t i = 2; i < length; i++)
    if ((text[i] & 0xC0) != 0x80) return 0;
  return length;
}

unsigned Utf8CodePoint(const unsigned char* text, size_t length) {
  static const unsigned char leadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  unsigned point = text[0] & leadBits[length];
  for (size_t i = 1; i < length; i++) point = (point << 6) | (text[i] & 0x3F);
  return point;
}

namespace {
void AppendUtf8(std::string* text, unsigned point) {
  // Only stand-ins are written here: four bytes each.
  text->push_back(static_cast<char>(0xF0 | (point >> 18)));
  text->push_back(static_cast<char>(0x80 | ((point >> 12) & 0x3F)));
  text->push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
  text->push_back(static_cast<char>(0x80 | (point & 0x3F)));
}
}  // namespace

std::string WithStandIns(const std::string& bytes) {
  std::string text;
  const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes.data());
  for (size_t i = 0; i < bytes.size();) {
    size_t length = Utf8Length(data + i, bytes.size() - i);
    if (length == 0) {
      AppendUtf8(&text, kStandInBase + data[i]);
      i++;
    } else {
      text.append(bytes, i, length);
      i += length;
    }
  }
  return text;
}

std::string WithoutStandIns(const std::string& text) {
  std::string bytes;
  const unsigned char* data = reinterpret_cast<const unsigned char*>(text.data());
  for (size_t i = 0; i < text.size();) {
    size_t length = Utf8Length(data + i, text.size() - i);
    if (length == 4) {
      unsigned point = Utf8CodePoint(data + i, 4);
      if (point >= kStandInBase + 0x80 && point <= kStandInBase + 0xFF) {
        bytes.push_back(static_cast<char>(point - kStandInBase));
        i += 4;
        continue;
      }
    }
    size_t take = length == 0 ? 1 : length;
    bytes.append(text, i, take);
    i += take;
  }
  return bytes;
}

std::string Shown(const std::string& bytes, bool keepLineBreaks) {
  std::string shown;
  const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes.data());
  for (size_t i = 0; i < bytes.size();) {
    unsigned char byte = data[i];
    size_t length = terminalUtf8 || byte < 0x80 ? Utf8Length(data + i, bytes.size() - i) : 0;
    bool printable = length > 0 && (length == 1 ? byte >= 0x20 && byte < 0x7F
                                                : iswprint(static_cast<wint_t>(Utf8CodePoint(data + i, length))));
    if (length == 0) length = 1;
    if (byte == '\\') {
      shown += "\\\\";
    } else if (byte == '\n' && keepLineBreaks) {
      shown += '\n';
    } else if (printable) {
      shown.append(bytes, i, length);
    } else {
      // Each byte of a character that is not shown, escaped alike.
      for (size_t k = 0; k < length; k++) {
        char escaped[8];
        snprintf(escaped, sizeof escaped, "\\x%02X", data[i + k]);
        shown += escaped;
      }
    }
    i += length;
  }
  return shown;
}
