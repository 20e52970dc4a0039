// Times reading a downloaded page against libxml2's HTML parser on the same bytes, and
// hostile pages at 1 and 4 MiB to show that the time grows linearly. The ratio compares
// like with like: our tokenizer over the whole page against libxml2 over the whole page.
// Title and description come from the head alone ("head" below), so a refresh pays far
// less than the whole page; "words" is what reading the whole page's text costs.
#include "html/tokenizer.h"
#include "refresh/htmlscanner.h"
#include "refresh/pagetext.h"

#include <QByteArray>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <libxml/HTMLparser.h>
#include <malloc.h>

namespace {

constexpr qsizetype miB = 1 << 20;

double bestSeconds(int repetitions, const std::function<void()> &run)
{
    double best = 1e30;
    for (int i = 0; i < repetitions; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

// A small fixed generator, so every run times the same page.
struct Random
{
    quint32 state = 2463534242u;
    quint32 next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    int below(int n) { return int(next() % quint32(n)); }
};

QByteArray realisticPage(qsizetype size)
{
    static const char *const words[] = {
        "news",  "the",      "weather", "garden",         "bookmark", "caf\xC3\xA9", "recipe",
        "and",   "of",       "travel",  "M\xC3\xBCnchen", "review",   "a",           "to",
        "price", "download", "river",   "open",           "source",   "library",     "for"};
    static const char *const entities[] = {"&amp;",   "&nbsp;",  "&mdash;", "&#8217;", "&copy;",
                                           "&ldquo;", "&rdquo;", "&lt;",    "&#x2014;"};
    Random random;
    const auto sentence = [&](QByteArray &out, int count) {
        for (int i = 0; i < count; ++i) {
            if (i)
                out += random.below(12) ? " " : "\n    ";
            if (random.below(25) == 0)
                out += entities[random.below(std::size(entities))];
            else
                out += words[random.below(std::size(words))];
        }
    };

    QByteArray page =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta http-equiv=\"X-UA-Compatible\" content=\"IE=edge\">\n"
        "<title>Garden &amp; Kitchen \xE2\x80\x93 Caf\xC3\xA9 news &#8217;24</title>\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<meta name=\"description\" content=\"Recipes, gardening tips &amp; "
        "reviews from M\xC3\xBCnchen and beyond.\">\n"
        "<meta property=\"og:title\" content=\"Garden &amp; Kitchen\">\n"
        "<link rel=\"stylesheet\" href=\"/static/css/main.css?v=20240611\">\n"
        "<link rel=\"icon\" href=\"/favicon.ico\" type=\"image/x-icon\">\n"
        "<style>\nbody { margin: 0; font: 16px/1.4 sans-serif; }\n"
        ".nav > li { display: inline-block; }\na[href^=\"http\"] { color: #06c; }\n"
        "</style>\n<script type=\"text/javascript\">\nwindow.config = { site: "
        "\"garden\", ads: false, sections: [1, 2, 3] };\nfunction q(a, b) { return "
        "a > b && b < 10 ? \"</title>\" : '<b>'; }\n</script>\n</head>\n"
        "<body class=\"home page\">\n<!-- site header -->\n<div id=\"page\">\n"
        "<header class=\"top\"><nav><ul class=\"nav\">\n";
    for (int i = 1; i <= 12; ++i)
        page += "<li><a href=\"/section/" + QByteArray::number(i) +
                "\" class=\"nav-link\" data-id=\"" + QByteArray::number(i) + "\">Section " +
                QByteArray::number(i) + "</a></li>\n";
    page += "</ul></nav></header>\n<main id=\"content\">\n";
    int post = 1000;
    while (page.size() < size - 600) {
        ++post;
        const QByteArray id = QByteArray::number(post);
        page += "<article class=\"post\" id=\"post-" + id + "\">\n  <h2><a href=\"https://" +
                "www.example.com/2024/06/" + id + "-garden-news.html\" title=\"";
        sentence(page, 4);
        page += "\">";
        sentence(page, 6);
        page += "</a></h2>\n  <div class=\"meta\"><span class=\"date\">June " +
                QByteArray::number(post % 28 + 1) + ", 2024</span> &middot; <a href=\"/author/" +
                QByteArray::number(post % 17) + "\" rel=\"author\">Author</a></div>\n";
        for (int p = 0; p < 2 + random.below(3); ++p) {
            page += "  <p>";
            sentence(page, 12 + random.below(30));
            page += " <a href=\"/tag/";
            page += words[random.below(std::size(words))];
            page += "\">";
            sentence(page, 2);
            page += "</a>, <em>";
            sentence(page, 3);
            page += "</em> <strong>";
            sentence(page, 2);
            page += "</strong>.</p>\n";
        }
        page += "  <img src=\"/img/" + id + ".jpg\" alt=\"";
        sentence(page, 3);
        page += "\" width=\"640\" height=\"427\" loading=\"lazy\">\n";
        if (random.below(3) == 0) {
            page += "  <ul class=\"links\">";
            for (int l = 0; l < 4; ++l)
                page += "<li><a href=\"https://example.org/p?id=" + QByteArray::number(l) +
                        "&amp;ref=" + id + "\">Link " + QByteArray::number(l) + "</a></li>";
            page += "</ul>\n";
        }
        if (random.below(4) == 0)
            page += "  <table class=\"facts\"><tr><th>Size</th><td>12 cm</td></tr><tr><th>Price"
                    "</th><td>&euro; 4,50</td></tr></table>\n";
        if (random.below(5) == 0)
            page += "  <script>track('view', " + id +
                    ", { late: x > 3, html: \"<p class='x'>\" });</script>\n";
        if (random.below(6) == 0)
            page += "  <!-- related posts are filled in later: <div class=\"related\"></div> "
                    "-->\n";
        page += "</article>\n";
    }
    page += "</main>\n<footer><p>&copy; 2024 Garden &amp; Kitchen</p></footer>\n</div>\n"
            "<script src=\"/static/js/app.js\" defer></script>\n</body>\n</html>\n";
    return page;
}

QByteArray repeat(const QByteArray &prefix, const QByteArray &unit, const QByteArray &suffix,
                  qsizetype size)
{
    QByteArray page = prefix;
    page.reserve(size + unit.size() + suffix.size());
    while (page.size() + suffix.size() < size)
        page += unit;
    return page + suffix;
}

struct Hostile
{
    const char *name;
    std::function<QByteArray(qsizetype)> make;
};

const Hostile hostilePages[] = {
    {"a_tags", [](qsizetype n) { return repeat({}, "<a>", {}, n); }},
    {"one_meta_params", [](qsizetype n) { return repeat("<meta", " b", ">", n); }},
    {"script_gt", [](qsizetype n) { return repeat("<script>", ">", {}, n); }},
    {"title_pieces", [](qsizetype n) { return repeat("<title>", "x<b>", {}, n); }},
    {"title_lt", [](qsizetype n) { return repeat("<title>", "&lt;", "</title>", n); }},
    {"title_num", [](qsizetype n) { return repeat("<title>", "&#65;", "</title>", n); }},
    {"title_amp_chain", [](qsizetype n) { return repeat("<title>&", "amp;", "lt;</title>", n); }},
    {"title_num_chain",
     [](qsizetype n) {
         // "&&&#35;35;65;": each decoded "#" completes the reference to its left.
         const qsizetype k = (n - 20) / 4;
         return "<title>" + QByteArray(k, '&') + '#' + repeat({}, "35;", {}, 3 * (k - 1)) +
                "65;</title>";
     }},
    // Elements, comments and quotes that are never closed, each a search to the end.
    {"unclosed_raw", [](qsizetype n) { return repeat({}, "<script><style>x", {}, n); }},
    {"unclosed_comments", [](qsizetype n) { return repeat({}, "<!--<!--x>", {}, n); }},
    {"quotes_across_lines", [](qsizetype n) { return repeat({}, "<a b=\"x\n<a c='y\n", {}, n); }},
};

struct PageResult
{
    QString title;
    QString description;
};

PageResult readOurs(const QByteArray &page)
{
    HtmlScanner scanner;
    scanner.parse(page, "Content-Type: text/html\r\n");
    return {scanner.getTitle(), scanner.getDescription()};
}

qint64 heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

} // namespace

int main()
{
    xmlInitParser();
    const QByteArray page = realisticPage(miB);
    const double mb = double(page.size()) / 1e6;

    PageResult result;
    const double ours = bestSeconds(15, [&] { result = readOurs(page); });
    const double baseline = bestSeconds(15, [&] {
        htmlDocPtr doc = htmlReadMemory(page.constData(), int(page.size()), "page.html", nullptr,
                                        HTML_PARSE_RECOVER | HTML_PARSE_NOERROR |
                                            HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
        xmlFreeDoc(doc);
    });
    qsizetype tokenCount = 0;
    const double tokens = bestSeconds(15, [&] {
        html::Tokenizer tokenizer(page);
        for (tokenCount = 0; tokenizer.next() != html::Tokenizer::Token::End; ++tokenCount) {
        }
    });
    PageText text;
    const double wholeText = bestSeconds(15, [&] {
        HtmlScanner scanner;
        scanner.parse(page, "Content-Type: text/html\r\n");
        text = readPageText(scanner);
    });
    volatile const void *sink = nullptr;
    const double scan =
        bestSeconds(15, [&] { sink = std::memchr(page.constData(), 0, size_t(page.size())); });
    (void)sink;

    std::printf("realistic page: %lld bytes\n", static_cast<long long>(page.size()));
    std::printf("  title: %s\n  description: %s\n", qPrintable(result.title),
                qPrintable(result.description));
    std::printf("  head     %8.3f ms  (title and description)\n", ours * 1e3);
    std::printf("  libxml2  %8.3f ms  %8.1f MB/s\n", baseline * 1e3, mb / baseline);
    std::printf("  tokens   %8.3f ms  %8.1f MB/s  (the whole page, %lld tokens)\n", tokens * 1e3,
                mb / tokens, static_cast<long long>(tokenCount));
    std::printf("  words    %8.3f ms  %8.1f MB/s  (the whole page's text, %lld words)\n",
                wholeText * 1e3, mb / wholeText, static_cast<long long>(text.words.size()));
    std::printf("  memchr   %8.3f ms  %8.1f MB/s\n", scan * 1e3, mb / scan);

    double worstMs = 0;
    double worstScale = 0;
    double worstMemory = 0;
    std::printf("hostile pages        1 MiB ms   4 MiB ms   4x/1x   heap/size\n");
    for (const Hostile &hostile : hostilePages) {
        double seconds[2] = {};
        double memory = 0;
        for (int s = 0; s < 2; ++s) {
            const QByteArray bytes = hostile.make(s == 0 ? miB : 4 * miB);
            seconds[s] = bestSeconds(7, [&] { readOurs(bytes); });
            const qint64 before = heapInUse();
            HtmlScanner scanner;
            scanner.parse(bytes, {});
            memory = std::max(memory, double(heapInUse() - before) / double(bytes.size()));
        }
        const double scale = seconds[1] / seconds[0];
        std::printf("  %-17s %9.2f  %9.2f  %6.2f   %6.2f%s\n", hostile.name, seconds[0] * 1e3,
                    seconds[1] * 1e3, scale, memory, seconds[1] < 0.25 ? "" : "  TOO SLOW");
        worstMs = std::max(worstMs, seconds[1] * 1e3);
        worstScale = std::max(worstScale, scale);
        worstMemory = std::max(worstMemory, memory);
    }
    xmlCleanupParser();

    std::printf("RESULT pageinfo ratio=%.3f mbps=%.1f libxml2_mbps=%.1f memchr_mbps=%.1f "
                "head_ms=%.4f worst4mib_ms=%.1f worst_scale=%.2f worst_heap_per_byte=%.2f\n",
                tokens / baseline, mb / tokens, mb / baseline, mb / scan, ours * 1e3, worstMs,
                worstScale, worstMemory);
    return 0;
}
