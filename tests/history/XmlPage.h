#pragma once
// The report page read as XML: every element with its attributes and text, in document order,
// so that tests find elements by id, class or data attribute.

#include <QXmlStreamReader>

#include <map>
#include <string>
#include <vector>

namespace tembrel::testing {

struct XmlElement {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::string text;  // all text inside, children's included
    std::vector<std::string> ancestors;  // ids of the enclosing elements that have one
    bool hasClass(const std::string& c) const {
        const auto it = attributes.find("class");
        if (it == attributes.end()) return false;
        const std::string padded = " " + it->second + " ";
        return padded.find(" " + c + " ") != std::string::npos;
    }
    bool inside(const std::string& id) const {
        for (const auto& a : ancestors)
            if (a == id) return true;
        return false;
    }
};

struct XmlPage {
    std::vector<XmlElement> elements;
    std::string error;  // non-empty: not well-formed

    const XmlElement* byId(const std::string& id) const {
        for (const auto& e : elements)
            if (e.attributes.count("id") && e.attributes.at("id") == id) return &e;
        return nullptr;
    }
    std::vector<const XmlElement*> all(const std::string& name, const std::string& cls = "", const std::string& within = "") const {
        std::vector<const XmlElement*> out;
        for (const auto& e : elements)
            if (e.name == name && (cls.empty() || e.hasClass(cls)) && (within.empty() || e.inside(within))) out.push_back(&e);
        return out;
    }
};

inline XmlPage ParseXmlPage(const std::string& html) {
    XmlPage page;
    QXmlStreamReader xml(QByteArray::fromStdString(html));
    std::vector<std::size_t> open;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            XmlElement e;
            e.name = xml.name().toString().toStdString();
            for (const auto& a : xml.attributes()) e.attributes[a.name().toString().toStdString()] = a.value().toString().toStdString();
            for (std::size_t i : open)
                if (page.elements[i].attributes.count("id")) e.ancestors.push_back(page.elements[i].attributes["id"]);
            page.elements.push_back(std::move(e));
            open.push_back(page.elements.size() - 1);
        } else if (xml.isEndElement()) {
            open.pop_back();
        } else if (xml.isCharacters()) {
            for (std::size_t i : open) page.elements[i].text += xml.text().toString().toStdString();
        }
    }
    if (xml.hasError()) page.error = xml.errorString().toStdString();
    return page;
}

}  // namespace tembrel::testing
