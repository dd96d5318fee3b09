#include "swf/movie.h"

#include "swf/container.h"
#include "swf/records.h"
#include "swf/strings.h"
#include "swf/tag_codes.h"
#include "swf/tag_stream.h"

#include <unordered_set>

namespace zimo::swf {

namespace {

class MovieParser {
public:
    MovieParser(Movie& movie, std::uint8_t version) : movie_(movie), version_(version) {}

    // Reads the tags of the root (sprite == nullptr) or of one sprite into `timeline`.
    bool parseTags(Reader& r, Timeline& timeline, bool inSprite);
    std::string error;

private:
    bool defineTag(const TagHeader& tag);
    bool controlTag(const TagHeader& tag, Frame& frame, bool inSprite);
    void addCharacter(std::uint16_t id, Character c);
    void warn(std::string w) {
        if (movie_.warnings.size() < 1000) movie_.warnings.push_back(std::move(w));
    }
    template <class T> bool keep(std::optional<T> def, const char* what) {
        if (!def) {
            error = std::string(what) + ": " + error;
            return false;
        }
        const auto id = def->id;
        addCharacter(id, std::make_shared<const T>(std::move(*def)));
        return true;
    }

    Movie& movie_;
    std::uint8_t version_;
};

void MovieParser::addCharacter(std::uint16_t id, Character c) {
    if (movie_.characters.contains(id)) {
        warn("character " + std::to_string(id) + " defined twice; the first definition stays");
        return;
    }
    movie_.characters.emplace(id, std::move(c));
}

bool MovieParser::defineTag(const TagHeader& tag) {
    Reader r(tag.body);
    switch (tag.code) {
    case kTagDefineShape:
    case kTagDefineShape2:
    case kTagDefineShape3:
    case kTagDefineShape4: {
        const int v = tag.code == kTagDefineShape    ? 1
                      : tag.code == kTagDefineShape2 ? 2
                      : tag.code == kTagDefineShape3 ? 3
                                                     : 4;
        return keep(parseDefineShape(r, v, error), tagName(tag.code));
    }
    case kTagDefineFont2:
    case kTagDefineFont3:
        return keep(parseDefineFont(r, tag.code == kTagDefineFont3 ? 3 : 2, version_, error),
                    tagName(tag.code));
    case kTagDefineEditText:
        return keep(parseDefineEditText(r, version_, error), "DefineEditText");
    case kTagDefineText:
    case kTagDefineText2:
        return keep(parseDefineText(r, tag.code == kTagDefineText2 ? 2 : 1, error),
                    tagName(tag.code));
    case kTagDefineButton:
    case kTagDefineButton2: {
        auto b = parseDefineButton(r, tag.code == kTagDefineButton2 ? 2 : 1, error);
        if (b) {
            // A button shows only characters defined before it.
            std::erase_if(b->records, [&](const ButtonRecord& rec) {
                if (movie_.character(rec.characterId)) return false;
                warn("button " + std::to_string(b->id) + " uses unknown character " +
                     std::to_string(rec.characterId));
                return true;
            });
        }
        return keep(std::move(b), tagName(tag.code));
    }
    case kTagDefineVideoStream: {
        auto v = parseDefineVideoStream(r);
        if (!r.ok()) {
            error = "DefineVideoStream: tag too short";
            return false;
        }
        addCharacter(v.id, std::make_shared<const VideoDef>(v));
        return true;
    }
    case kTagDefineSprite: {
        auto sprite = std::make_shared<SpriteDef>();
        sprite->id = r.u16();
        auto timeline = std::make_shared<Timeline>();
        timeline->declaredFrameCount = r.u16();
        if (!r.ok()) {
            error = "DefineSprite: tag too short";
            return false;
        }
        if (!parseTags(r, *timeline, true)) {
            error = "DefineSprite " + std::to_string(sprite->id) + ": " + error;
            return false;
        }
        sprite->timeline = std::move(timeline);
        const auto id = sprite->id;
        addCharacter(id, std::move(sprite));
        return true;
    }
    default:
        return true;
    }
}

bool MovieParser::controlTag(const TagHeader& tag, Frame& frame, bool inSprite) {
    Reader r(tag.body);
    switch (tag.code) {
    case kTagPlaceObject:
    case kTagPlaceObject2:
    case kTagPlaceObject3: {
        const int v = tag.code == kTagPlaceObject ? 1 : tag.code == kTagPlaceObject2 ? 2 : 3;
        auto p = parsePlaceObject(r, v, version_, error);
        if (!p) {
            error = std::string(tagName(tag.code)) + ": " + error;
            return false;
        }
        // Only characters defined earlier can be placed; this also rules out a sprite
        // that contains itself.
        if (p->characterId && !movie_.character(*p->characterId)) {
            warn("placement of unknown character " + std::to_string(*p->characterId) +
                 " at depth " + std::to_string(p->depth) + " skipped");
            return true;
        }
        frame.tags.emplace_back(std::move(*p));
        return true;
    }
    case kTagRemoveObject:
    case kTagRemoveObject2: {
        auto x = parseRemoveObject(r, tag.code == kTagRemoveObject ? 1 : 2);
        if (!x) {
            error = std::string(tagName(tag.code)) + ": tag too short";
            return false;
        }
        frame.tags.emplace_back(*x);
        return true;
    }
    case kTagDoAction: {
        const auto b = r.rest();
        frame.tags.emplace_back(DoAction{{b.begin(), b.end()}});
        return true;
    }
    case kTagDoInitAction: {
        if (inSprite) {
            warn("DoInitAction inside a sprite skipped");
            return true;
        }
        DoInitAction a;
        a.spriteId = r.u16();
        const auto b = r.rest();
        if (!r.ok()) {
            error = "DoInitAction: tag too short";
            return false;
        }
        a.actions.assign(b.begin(), b.end());
        frame.tags.emplace_back(std::move(a));
        return true;
    }
    case kTagFrameLabel:
        frame.label = decodeString(r.cstring(), version_);
        if (!r.ok()) {
            error = "FrameLabel: no terminated label";
            return false;
        }
        return true;
    default:
        return true;
    }
}

bool MovieParser::parseTags(Reader& r, Timeline& timeline, bool inSprite) {
    Frame frame;
    while (true) {
        auto tag = nextTag(r, error);
        if (!tag) {
            if (!error.empty()) return false;
            break; // data ended without an End tag
        }
        if (tag->code == kTagEnd) break;
        if (tag->code == kTagShowFrame) {
            timeline.frames.push_back(std::move(frame));
            frame = Frame{};
            continue;
        }
        if (!inSprite && tag->code == kTagSetBackgroundColor) {
            Reader b(tag->body);
            movie_.background = readRgb(b);
            movie_.hasBackground = b.ok();
            continue;
        }
        if (!inSprite && tag->code == kTagFileAttributes) {
            Reader b(tag->body);
            movie_.fileAttributes = b.u32();
            movie_.hasFileAttributes = b.ok();
            continue;
        }
        if (definesCharacter(tag->code)) {
            if (inSprite) {
                warn(std::string(tagName(tag->code)) + " inside a sprite skipped");
                continue;
            }
            if (!defineTag(*tag)) return false;
            continue;
        }
        if (!controlTag(*tag, frame, inSprite)) return false;
    }
    // Tags after the last ShowFrame belong to no frame shown; keep them as a last frame
    // only when they carry something.
    if (!frame.tags.empty() || !frame.label.isEmpty()) timeline.frames.push_back(std::move(frame));
    return true;
}

} // namespace

MovieLoad parseMovieBody(std::span<const std::uint8_t> body, std::uint8_t version) {
    auto movie = std::make_shared<Movie>();
    movie->header.version = version;
    Reader r(body);
    movie->header.stage = readRect(r);
    movie->header.frameRate = r.u16() / 256.0;
    movie->header.frameCount = r.u16();
    if (!r.ok()) return {nullptr, "movie header runs past the end of the data"};
    const auto& stage = movie->header.stage;
    if (stage.width() < 0 || stage.height() < 0 || stage.width() > 1e5 || stage.height() > 1e5)
        return {nullptr, "bad stage rectangle"};
    auto timeline = std::make_shared<Timeline>();
    timeline->declaredFrameCount = movie->header.frameCount;
    MovieParser parser(*movie, version);
    if (!parser.parseTags(r, *timeline, false)) return {nullptr, parser.error};
    movie->timeline = std::move(timeline);
    return {std::move(movie), {}};
}

MovieLoad loadMovie(std::span<const std::uint8_t> file) {
    auto c = openContainer(file);
    if (!c.ok) return {nullptr, c.error};
    auto load = parseMovieBody(c.container.body, c.container.version);
    if (!load) return load;
    auto movie = std::const_pointer_cast<Movie>(load.movie);
    movie->header.compressed = c.container.compressed;
    movie->header.declaredLength = c.container.declaredLength;
    return load;
}

} // namespace zimo::swf
