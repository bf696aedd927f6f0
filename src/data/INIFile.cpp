#include "data/INIFile.h"

#include "base/stdHelpers.h"

namespace {

constexpr QLatin1String kLineBreak("\r\n");

bool StartsWithBracket(QStringView line) {
    for (QChar ch : line) {
        if (ch != u' ' && ch != u'\t') {
            return ch == u'[';
        }
    }
    return false;
}

}  // namespace

INIFile::INIFile() {
    Clear();
}

INIFile::INIFile(const INIFile& other) : path_(other.path_) {
    for (const auto& section : other.sections_) {
        AddSection(std::make_unique<INISection>(*section));
    }
}

INIFile& INIFile::operator=(const INIFile& other) {
    if (this != &other) {
        INIFile copy(other);
        *this = std::move(copy);
    }
    return *this;
}

// ---- text

QString INIFile::Text() const {
    // Sizes first, so that a large document is built in one allocation.
    std::vector<qsizetype> bodySizes;
    bodySizes.reserve(sections_.size());
    qsizetype size = 0;
    for (const auto& section : sections_) {
        bodySizes.push_back(section->TextSize());
        size += section->NameFullText().size() + bodySizes.back() + 4;
    }
    QString text;
    text.reserve(size);
    const std::size_t last = sections_.size() - 1;
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        const INISection& section = *sections_[i];
        const bool emptyBody = bodySizes[i] == 0;
        text += section.NameFullText();
        if (i > 0 && (i != last || !emptyBody)) {
            text += kLineBreak;
        }
        section.AppendText(text);
        if (i != last && !emptyBody) {
            text += kLineBreak;
        }
    }
    return text;
}

void INIFile::SetText(const QString& text) {
    sections_.clear();
    byName_.clear();
    lastName_.clear();
    auto current = std::make_unique<INISection>();
    if (!text.isEmpty()) {
        // Each section's body is the run of lines between two headers; it is
        // handed over as one view and split into lines only once.
        const QStringView all(text);
        qsizetype bodyStart = 0;
        int bodyLines = 0;
        qsizetype lineStart = 0;
        int lineNumber = 0;
        current->firstLine_ = 1;
        while (true) {
            const qsizetype lineBreak = all.indexOf(kLineBreak, lineStart);
            const qsizetype lineEnd = lineBreak < 0 ? all.size() : lineBreak;
            ++lineNumber;
            auto header = HeaderSection(all.mid(lineStart, lineEnd - lineStart));
            if (header) {
                if (bodyLines > 0) {
                    current->AssignLines(all.mid(bodyStart, lineStart - 2 - bodyStart));
                }
                AddSection(std::move(current));
                current = std::move(header);
                current->firstLine_ = lineNumber + 1;
                bodyStart = lineEnd + 2;
                bodyLines = 0;
            } else {
                ++bodyLines;
            }
            if (lineBreak < 0) {
                break;
            }
            lineStart = lineBreak + 2;
        }
        if (bodyLines > 0) {
            current->AssignLines(all.mid(bodyStart));
        }
    }
    AddSection(std::move(current));
}

std::unique_ptr<INISection> INIFile::HeaderSection(QStringView line) {
    if (!StartsWithBracket(line)) {
        return nullptr;
    }
    auto section = std::make_unique<INISection>();
    if (!INISection::ParseHeader(line, section->namePrefix_, section->nameContent_,
                                 section->nameSuffix_) ||
        section->nameContent_.isEmpty()) {
        return nullptr;
    }
    return section;
}

// ---- files

bool INIFile::Load(const QString& path) {
    QString text;
    if (!stdHelpers::ReadTextFile(path, text)) {
        return false;
    }
    SetText(text);
    path_ = path;
    return true;
}

bool INIFile::Save(const QString& path) {
    const QString target = path.isEmpty() ? path_ : path;
    if (target.isEmpty() || !stdHelpers::WriteTextFile(target, Text())) {
        return false;
    }
    path_ = target;
    return true;
}

// ---- sections

void INIFile::AddSection(std::unique_ptr<INISection> section) {
    const QString folded = FoldName(section->Name());
    lastName_.clear();
    if (!byName_.contains(folded)) {
        byName_.insert(folded, section.get());
    }
    sections_.push_back(std::move(section));
}

INISection* INIFile::FindSection(const QString& name) const {
    if (lastName_.isNull() || name != lastName_) {
        lastSection_ = byName_.value(FoldName(name), nullptr);
        lastName_ = name.isNull() ? QStringLiteral("") : name;
    }
    return lastSection_;
}

void INIFile::RemoveSection(const QString& name) {
    INISection* found = name.isEmpty() ? nullptr : FindSection(name);
    if (found == nullptr) {
        return;
    }
    std::erase_if(sections_, [found](const auto& section) { return section.get() == found; });
    byName_.clear();
    for (const auto& section : sections_) {
        const QString folded = FoldName(section->Name());
        if (!byName_.contains(folded)) {
            byName_.insert(folded, section.get());
        }
    }
    lastName_ = QString();
    lastSection_ = nullptr;
}

INISection& INIFile::KeySection(const QString& name) {
    if (INISection* found = FindSection(name)) {
        return *found;
    }
    auto section = std::make_unique<INISection>();
    section->namePrefix_ = QStringLiteral("[");
    section->nameContent_ = name;
    section->nameSuffix_ = QStringLiteral("]");
    INISection& added = *section;
    AddSection(std::move(section));
    return added;
}

void INIFile::SetKeySection(const QString& name, const INISection& section) {
    const QString body = section.Text();
    KeySection(name).SetText(body);
}

bool INIFile::KeyExists(const QString& name) const {
    return FindSection(name) != nullptr;
}

void INIFile::Optimize() {
    for (const auto& section : sections_) {
        section->Optimize();
    }
}
