#include "qvrfc/results/HtmlWriter.h"

#include "qvrfc/common/QVRFCError.h"

namespace qvrfc {
namespace {

std::string StartTag(const std::string& tag, const HtmlWriter::Attributes& attributes) {
    std::string text = "<" + tag;
    for (const auto& [name, value] : attributes)
        text += " " + name + "=\"" + EscapeHtml(value) + "\"";
    return text + ">";
}

}  // namespace

std::string EscapeHtml(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

HtmlWriter& HtmlWriter::Open(const std::string& tag, const Attributes& attributes) {
    m_html += StartTag(tag, attributes) + "\n";
    m_open.push_back(tag);
    return *this;
}

HtmlWriter& HtmlWriter::Close() {
    if (m_open.empty()) throw Error("HtmlWriter: Close() without an open element");
    m_html += "</" + m_open.back() + ">\n";
    m_open.pop_back();
    return *this;
}

HtmlWriter& HtmlWriter::Element(const std::string& tag, const std::string& text,
                                const Attributes& attributes) {
    m_html += StartTag(tag, attributes) + EscapeHtml(text) + "</" + tag + ">\n";
    return *this;
}

HtmlWriter& HtmlWriter::Text(const std::string& text) {
    m_html += EscapeHtml(text);
    return *this;
}

HtmlWriter& HtmlWriter::Raw(const std::string& markup) {
    m_html += markup;
    return *this;
}

std::string HtmlWriter::Finish() {
    if (!m_open.empty()) throw Error("HtmlWriter: <" + m_open.back() + "> is not closed");
    return std::move(m_html);
}

}  // namespace qvrfc
