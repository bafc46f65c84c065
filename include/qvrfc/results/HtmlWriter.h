// HtmlWriter: builds an HTML document element by element. Every text and attribute value
// passes through EscapeHtml; only Raw() takes markup as it is (for drawings made by the
// program itself).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "qvrfc/common/QVRFCExport.h"

namespace qvrfc {

// text with &, <, >, " and ' replaced by their character references.
QVRFC_API std::string EscapeHtml(const std::string& text);

class QVRFC_API HtmlWriter {
  public:
    using Attributes = std::vector<std::pair<std::string, std::string>>;

    // <tag name="value" ...>; closed by the matching Close().
    HtmlWriter& Open(const std::string& tag, const Attributes& attributes = {});
    HtmlWriter& Close();
    // <tag ...>text</tag> on one line.
    HtmlWriter& Element(const std::string& tag, const std::string& text,
                        const Attributes& attributes = {});
    HtmlWriter& Text(const std::string& text);
    HtmlWriter& Raw(const std::string& markup);

    // The document; every element opened must have been closed (qvrfc::Error otherwise).
    std::string Finish();

  private:
    std::string m_html;
    std::vector<std::string> m_open;
};

}  // namespace qvrfc
