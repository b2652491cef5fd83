// Reads a workbook back for the tests: the entries of its zip archive
// (libzip) and the cells of a worksheet's XML, enough to check what was
// written without a spreadsheet program.
#pragma once

#include <zip.h>

#include <map>
#include <string>
#include <vector>

namespace helmax::test {

class TXlsxArchive {
 public:
  explicit TXlsxArchive(const std::string& path) {
    int error = 0;
    Zip_ = zip_open(path.c_str(), ZIP_RDONLY, &error);
  }
  ~TXlsxArchive() {
    if (Zip_ != nullptr) zip_discard(Zip_);
  }
  TXlsxArchive(const TXlsxArchive&) = delete;
  TXlsxArchive& operator=(const TXlsxArchive&) = delete;
  bool IsOpen() const { return Zip_ != nullptr; }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (zip_int64_t i = 0; Zip_ != nullptr && i < zip_get_num_entries(Zip_, 0); ++i)
      names.push_back(zip_get_name(Zip_, static_cast<zip_uint64_t>(i), 0));
    return names;
  }
  // The entry's content, or empty when there is none.
  std::string Entry(const std::string& name) const {
    if (Zip_ == nullptr) return {};
    zip_file_t* file = zip_fopen(Zip_, name.c_str(), 0);
    if (file == nullptr) return {};
    std::string content;
    char buffer[65536];
    zip_int64_t n = 0;
    while ((n = zip_fread(file, buffer, sizeof buffer)) > 0) content.append(buffer, static_cast<std::size_t>(n));
    zip_fclose(file);
    return content;
  }

 private:
  zip_t* Zip_ = nullptr;
};

inline std::string XmlText(std::string s) {
  const std::pair<const char*, const char*> entities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
  for (const auto& [entity, text] : entities)
    for (std::size_t at = s.find(entity); at != std::string::npos; at = s.find(entity, at + 1))
      s.replace(at, std::string(entity).size(), text);
  return s;
}

// The text between <tag> (or <tag attributes>) and </tag>, or empty.
inline std::string Element(const std::string& xml, const std::string& tag) {
  std::size_t open = xml.find("<" + tag + ">");
  if (open == std::string::npos) open = xml.find("<" + tag + " ");
  if (open == std::string::npos) return {};
  const std::size_t start = xml.find('>', open) + 1;
  const std::size_t end = xml.find("</" + tag + ">", start);
  return end == std::string::npos ? std::string() : xml.substr(start, end - start);
}

inline std::string Attribute(const std::string& tag, const std::string& name) {
  const std::size_t at = tag.find(" " + name + "=\"");
  if (at == std::string::npos) return {};
  const std::size_t start = at + name.size() + 3;
  return tag.substr(start, tag.find('"', start) - start);
}

struct TSheetCell {
  std::string Type;     // the t attribute: "" (a number), "inlineStr", "s", "str", "e", ...
  std::string Value;    // <v>
  std::string Formula;  // <f>
  std::string Text;     // <is><t>
};

// The cells of a worksheet by reference ("B2").
inline std::map<std::string, TSheetCell> SheetCells(const std::string& xml) {
  std::map<std::string, TSheetCell> cells;
  for (std::size_t at = xml.find("<c "); at != std::string::npos; at = xml.find("<c ", at + 1)) {
    const std::size_t tagEnd = xml.find('>', at);
    const std::string tag = xml.substr(at, tagEnd - at + 1);
    TSheetCell cell;
    cell.Type = Attribute(tag, "t");
    if (tag.ends_with("/>") == false) {
      const std::string body = xml.substr(tagEnd + 1, xml.find("</c>", tagEnd) - tagEnd - 1);
      cell.Value = XmlText(Element(body, "v"));
      cell.Formula = XmlText(Element(body, "f"));
      cell.Text = XmlText(Element(Element(body, "is"), "t"));
    }
    cells[Attribute(tag, "r")] = cell;
  }
  return cells;
}

// Every occurrence of an element's text, in order.
inline std::vector<std::string> Elements(const std::string& xml, const std::string& tag) {
  std::vector<std::string> found;
  for (std::size_t at = xml.find("<" + tag + ">"); at != std::string::npos; at = xml.find("<" + tag + ">", at + 1)) {
    const std::size_t start = at + tag.size() + 2;
    found.push_back(XmlText(xml.substr(start, xml.find("</" + tag + ">", start) - start)));
  }
  return found;
}

// The spreadsheet's name of a column counted from 0: A, ..., Z, AA, ...
inline std::string ColumnName(int column) {
  std::string name;
  for (int n = column + 1; n > 0; n = (n - 1) / 26) name.insert(name.begin(), static_cast<char>('A' + (n - 1) % 26));
  return name;
}

}  // namespace helmax::test
