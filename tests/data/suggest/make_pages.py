#!/usr/bin/env python3
"""Writes the suggester's corpus: pages in the shapes users meet (feeds of every kind, HTML
lists, tables, cards, pages whose navigation or sidebars look like headlines, legacy
encodings), each with the headlines a user expects from it.

For each page NAME it writes NAME.html or NAME.xml (the page), NAME.address (its address) and
NAME.expected (a line per headline: the heading, a tab, the link as a browser would join it).
The first two expected headlines are the examples the quality check gives the suggester.
Run from this folder after changing a page."""
import html
import os
import random
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
WORDS = ("harbour council storm ferry market school budget island festival road bridge fishing "
         "weather election museum concert police hospital trains library quay lighthouse "
         "mayor tide regatta ferries dock cinema theatre bakery orchestra").split()


def sentence(rng, n):
    words = [rng.choice(WORDS) for _ in range(n)]
    return (words[0].capitalize() + " " + " ".join(words[1:])).strip()


def headlines(rng, count, words=(5, 9)):
    seen, out = set(), []
    while len(out) < count:
        text = sentence(rng, rng.randint(*words))
        if text not in seen:
            seen.add(text)
            out.append(text)
    return out


def esc(text):
    return html.escape(text, quote=True)


def page(title, body, charset="utf-8", head_extra=""):
    return ("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"%s\">\n<title>%s</title>\n"
            "<link rel=\"stylesheet\" href=\"/css/site.css\">%s\n"
            "<script>var tracking={page:'front',t:Date.now()};function go(u){location.href=u;}</script>\n"
            "</head><body>\n%s\n</body></html>\n" % (charset, esc(title), head_extra, body))


NAV = ("<div id=\"top\"><ul class=\"menu\"><li><a href=\"/\">Home</a></li><li><a href=\"/world/\">World</a></li>"
       "<li><a href=\"/local/\">Local news and more</a></li><li><a href=\"/sport/\">Sport</a></li>"
       "<li><a href=\"/weather/\">Weather forecast for the week</a></li></ul></div>\n")
FOOTER = ("<div id=\"footer\"><a href=\"/about\">About us</a> | <a href=\"/contact\">Contact the newsroom</a> | "
          "<a href=\"/privacy\">Privacy</a></div>\n")

CORPUS = []


def add(name, address, text, expected, ext="html", encoding="utf-8"):
    CORPUS.append((name, address, text, expected, ext, encoding))


def join(address, link):
    return urllib.parse.urljoin(address, link)


def html_list_pages():
    rng = random.Random(7)
    base = "http://news.example/front/"
    # 1. h2 > a headlines, each with a paragraph, navigation and footer around.
    items = headlines(rng, 12)
    body = NAV + "<div class=\"main\">\n" + "".join(
        "<h2><a href=\"/story/%d.html\">%s</a></h2>\n<p>%s.</p>\n" % (i, esc(t), sentence(rng, 12))
        for i, t in enumerate(items)) + "</div>\n" + FOOTER
    add("01-h2-links", base, page("Harbour News", body), [(t, join(base, "/story/%d.html" % i)) for i, t in enumerate(items)])

    # 2. h3 headings with a separate "Read more" link after a summary.
    items = headlines(rng, 8)
    body = NAV + "<div id=\"content\">" + "".join(
        "<div class=\"teaser\"><h3>%s</h3><p>%s.</p><a class=\"more\" href=\"/read/%d\">Read more</a></div>\n"
        % (esc(t), sentence(rng, 10), i) for i, t in enumerate(items)) + "</div>" + FOOTER
    add("02-h3-read-more", base, page("Island Times", body), [(t, join(base, "/read/%d" % i)) for i, t in enumerate(items)])

    # 3. li > a in a list, beside a navigation menu of li > a.
    items = headlines(rng, 15)
    body = NAV + "<h1>Latest</h1><ul>" + "".join(
        "<li><a href=\"/n/%d\">%s</a></li>" % (i, esc(t)) for i, t in enumerate(items)) + "</ul>" + FOOTER
    add("03-li-links-and-menu", base, page("Quay Wire", body), [(t, join(base, "/n/%d" % i)) for i, t in enumerate(items)])

    # 4. A table of stories, as link aggregators write them: rank, title cell, then a line of
    # small print with a comments link in a row of its own.
    items = headlines(rng, 20)
    rows = "".join(
        "<tr class=\"athing\"><td class=\"rank\">%d.</td><td class=\"title\"><a href=\"https://s%d.example/x\">%s</a> "
        "<span class=\"site\">(s%d.example)</span></td></tr>\n<tr><td></td><td class=\"subtext\">%d points by "
        "<a href=\"/user?id=u%d\">u%d</a> | <a href=\"/item?id=%d\">%d comments</a></td></tr>\n"
        % (i + 1, i, esc(t), i, rng.randint(1, 400), i, i, i, rng.randint(0, 90)) for i, t in enumerate(items))
    body = ("<table id=\"hnmain\"><tr><td><a href=\"/\">Dock News</a> | <a href=\"/new\">new</a> | "
            "<a href=\"/ask\">ask</a></td></tr><tr><td><table class=\"itemlist\">%s</table></td></tr></table>" % rows)
    add("04-table-rows", "https://dock.example/", page("Dock News", body),
        [(t, "https://s%d.example/x" % i) for i, t in enumerate(items)])

    # 5. A definition list: dt > a heading, dd summary.
    items = headlines(rng, 10)
    body = NAV + "<dl class=\"digest\">" + "".join(
        "<dt><a href=\"digest/%d.html\">%s</a></dt><dd>%s.</dd>" % (i, esc(t), sentence(rng, 9))
        for i, t in enumerate(items)) + "</dl>" + FOOTER
    add("05-definition-list", "http://digest.example/today/index.html", page("Daily Digest", body),
        [(t, join("http://digest.example/today/index.html", "digest/%d.html" % i)) for i, t in enumerate(items)])

    # 6. Cards: an anchor wrapping the whole card, the heading inside it.
    items = headlines(rng, 9)
    body = NAV + "<section class=\"grid\">" + "".join(
        "<a class=\"card\" href=\"/c/%d\"><img src=\"/i/%d.jpg\" alt=\"\"><div class=\"card-body\"><h3 "
        "class=\"card-title\">%s</h3><p class=\"card-text\">%s.</p></div></a>\n" % (i, i, esc(t), sentence(rng, 8))
        for i, t in enumerate(items)) + "</section>" + FOOTER
    add("06-cards-wrapped-in-links", base, page("Regatta Today", body),
        [(t, join(base, "/c/%d" % i)) for i, t in enumerate(items)])

    # 7. Cards of nested divs, the heading an anchor in an h2.
    items = headlines(rng, 12)
    body = NAV + "<div class=\"row\">" + "".join(
        "<div class=\"col-4\"><div class=\"card\"><div class=\"card-body\"><h2 class=\"card-title\"><a href=\"/story?id=%d\">%s</a>"
        "</h2><p class=\"card-text\">%s.</p><span class=\"badge\">%s</span></div></div></div>\n"
        % (i, esc(t), sentence(rng, 11), rng.choice(["World", "Local"])) for i, t in enumerate(items)) + "</div>" + FOOTER
    add("07-nested-cards", base, page("Tide Post", body), [(t, join(base, "/story?id=%d" % i)) for i, t in enumerate(items)])

    # 8. A lead story with a class of its own, then the others.
    items = headlines(rng, 10)
    body = NAV + "<div class=\"stories\"><div class=\"story story-lead\"><h2 class=\"headline headline-xl\"><a href=\"/s/0\">%s</a></h2><p>%s</p></div>" % (
        esc(items[0]), sentence(rng, 20)) + "".join(
        "<div class=\"story\"><h2 class=\"headline\"><a href=\"/s/%d\">%s</a></h2><p>%s</p></div>" % (i, esc(t), sentence(rng, 10))
        for i, t in enumerate(items) if i > 0) + "</div>" + FOOTER
    add("08-lead-story", base, page("Lighthouse Ledger", body), [(t, join(base, "/s/%d" % i)) for i, t in enumerate(items)])

    # 9. A "most read" sidebar written exactly like the main list, after it.
    items, popular = headlines(rng, 10), headlines(rng, 5)
    main = "".join("<li class=\"item\"><a class=\"title\" href=\"/a/%d\">%s</a></li>" % (i, esc(t)) for i, t in enumerate(items))
    side = "".join("<li class=\"item\"><a class=\"title\" href=\"/p/%d\">%s</a></li>" % (i, esc(t)) for i, t in enumerate(popular))
    body = NAV + "<main><ul class=\"feed\">%s</ul></main><aside><h3>Most read</h3><ul class=\"popular\">%s</ul></aside>%s" % (
        main, side, FOOTER)
    add("09-sidebar-like-the-list", base, page("Quayside Courier", body), [(t, join(base, "/a/%d" % i)) for i, t in enumerate(items)])

    # 10. Footer links with the same class as the headlines.
    items = headlines(rng, 7)
    body = NAV + "<div class=\"news\">" + "".join(
        "<div class=\"entry\"><a class=\"headline\" href=\"/e/%d\">%s</a><div class=\"summary\">%s</div></div>" % (
            i, esc(t), sentence(rng, 9)) for i, t in enumerate(items)) + "</div><div class=\"footer\">" + "".join(
        "<a class=\"headline\" href=\"/f/%d\">%s</a>" % (i, t) for i, t in enumerate(["About", "Jobs", "Advertise"])) + "</div>"
    add("10-footer-same-class", base, page("Fishing Weekly", body), [(t, join(base, "/e/%d" % i)) for i, t in enumerate(items)])


def more_html_pages():
    rng = random.Random(11)
    base = "https://city.example/news/"
    # 11. article > header > h2 > a, with time and author.
    items = headlines(rng, 8)
    body = NAV + "<main>" + "".join(
        "<article class=\"post\"><header><h2 class=\"entry-title\"><a href=\"/%d/\" rel=\"bookmark\">%s</a></h2>"
        "<time datetime=\"2026-12-0%d\">Dec %d</time> by <a href=\"/author/x\">Editor</a></header><div class=\"entry-summary\">"
        "<p>%s.</p></div><a class=\"more-link\" href=\"/%d/#more\">Continue reading</a></article>\n"
        % (i, esc(t), i % 9 + 1, i % 9 + 1, sentence(rng, 14), i) for i, t in enumerate(items)) + "</main>" + FOOTER
    add("11-blog-articles", base, page("City Blog", body), [(t, join(base, "/%d/" % i)) for i, t in enumerate(items)])

    # 12. Headlines with a line break inside.
    items = [(sentence(rng, 4), sentence(rng, 4)) for _ in range(6)]
    body = NAV + "<div class=\"list\">" + "".join(
        "<p class=\"hl\"><a href=\"/b/%d\">%s<br>%s</a></p>" % (i, esc(a), esc(b)) for i, (a, b) in enumerate(items)) + "</div>" + FOOTER
    add("12-plain-paragraphs", base, page("Bridge Bulletin", body),
        [("%s %s" % (a, b), join(base, "/b/%d" % i)) for i, (a, b) in enumerate(items)])

    # 13. Headlines whose text is split by <b> and <em>.
    items = headlines(rng, 8, (4, 6))
    body = NAV + "<ol class=\"top-stories\">" + "".join(
        "<li><a href=\"/t/%d\"><b>%s</b> %s <em>%s</em></a> <span class=\"src\">Wire</span></li>"
        % (i, esc(t.split()[0]), esc(" ".join(t.split()[1:-1])), esc(t.split()[-1])) for i, t in enumerate(items)) + "</ol>" + FOOTER
    add("13-split-by-markup", base, page("Top Stories", body), [(t, join(base, "/t/%d" % i)) for i, t in enumerate(items)])

    # 14. Sections of a front page, each with a list of the same shape.
    sections = [("World", headlines(rng, 4)), ("Local", headlines(rng, 5)), ("Sport", headlines(rng, 3))]
    body = NAV
    expected = []
    for s, (name, items) in enumerate(sections):
        body += "<div class=\"box\"><h2 class=\"box-title\">%s</h2><ul>" % name
        for i, t in enumerate(items):
            body += "<li><a href=\"/%s/%d\">%s</a></li>" % (name.lower(), i, esc(t))
            expected.append((t, join(base, "/%s/%d" % (name.lower(), i))))
        body += "</ul></div>\n"
    add("14-sections-of-lists", base, page("Front Page", body + FOOTER), expected)

    # 15. Anchors with spans inside: a kicker, the title and a time.
    items = headlines(rng, 9)
    body = NAV + "<div class=\"teasers\">" + "".join(
        "<a class=\"teaser\" href=\"/t%d\"><span class=\"kicker\">%s</span><span class=\"title\">%s</span></a>"
        % (i, rng.choice(["Live", "Update", "Analysis"]), esc(t)) for i, t in enumerate(items)) + "</div>" + FOOTER
    add("15-spans-in-anchors", base, page("Live Desk", body), [(t, join(base, "/t%d" % i)) for i, t in enumerate(items)])

    # 16. A table without classes: a header row, then title, source and date cells.
    items = headlines(rng, 12)
    rows = "".join("<tr><td><a href=\"item%d.html\">%s</a></td><td>Agency</td><td>2026-12-0%d</td></tr>"
                   % (i, esc(t), i % 9 + 1) for i, t in enumerate(items))
    body = NAV + "<table><tr><th>Title</th><th>Source</th><th>Date</th></tr>%s</table>" % rows + FOOTER
    add("16-table-without-classes", "http://archive.example/list.html", page("Archive", body),
        [(t, join("http://archive.example/list.html", "item%d.html" % i)) for i, t in enumerate(items)])

    # 17. An ordered list with the source after each link.
    items = headlines(rng, 10)
    body = NAV + "<ol>" + "".join("<li><a href=\"/o/%d\">%s</a> <small>(via Wire)</small></li>" % (i, esc(t))
                                  for i, t in enumerate(items)) + "</ol>" + FOOTER
    add("17-ordered-list", base, page("Wire Roundup", body), [(t, join(base, "/o/%d" % i)) for i, t in enumerate(items)])

    # 18. Stories marked by data attributes, not classes.
    items = headlines(rng, 8)
    body = NAV + "<div data-region=\"main\">" + "".join(
        "<div data-type=\"story\" data-id=\"%d\"><a data-role=\"headline\" href=\"/d/%d\">%s</a><p>%s</p></div>"
        % (i, i, esc(t), sentence(rng, 8)) for i, t in enumerate(items)) + "</div>" + FOOTER
    add("18-data-attributes", base, page("Data Daily", body), [(t, join(base, "/d/%d" % i)) for i, t in enumerate(items)])

    # 19. Search-result style: li.result > h3 > a, a cite and a snippet.
    items = headlines(rng, 10)
    body = "<form><input name=q></form><ol id=\"results\">" + "".join(
        "<li class=\"result\"><h3><a href=\"https://r%d.example/page\">%s</a></h3><cite>r%d.example</cite><p>%s</p></li>"
        % (i, esc(t), i, sentence(rng, 15)) for i, t in enumerate(items)) + "</ol><div class=\"pager\"><a href=\"?page=2\">Next</a></div>"
    add("19-search-results", "https://find.example/search?q=harbour", page("harbour - Find", body),
        [(t, "https://r%d.example/page" % i) for i, t in enumerate(items)])

    # 20. A page with one headline.
    body = NAV + "<div class=\"alert\"><a href=\"/breaking\">Bridge closed after storm damage</a></div>" + FOOTER
    add("20-one-headline", base, page("Breaking", body), [("Bridge closed after storm damage", join(base, "/breaking"))])

    # 21. A blog index with headings as h1 in posts and links with fragments and queries.
    items = headlines(rng, 6)
    body = "<div id=\"page\">" + "".join(
        "<div class=\"post\"><h1 class=\"title\"><a href=\"?p=%d\">%s</a></h1><div class=\"entry\">%s</div>"
        "<p class=\"meta\"><a href=\"#comments-%d\">Comments</a></p></div>" % (i, esc(t), sentence(rng, 12), i)
        for i, t in enumerate(items)) + "</div>"
    add("21-query-links", "http://blog.example/index.php?cat=3", page("Harbour Blog", body),
        [(t, "http://blog.example/index.php?p=%d" % i) for i, t in enumerate(items)])

    # 22. Navigation links in nav elements written like the headlines (li > a, no classes).
    items = headlines(rng, 8)
    body = ("<header><nav><ul><li><a href=\"/a\">Harbour and quay news today</a></li><li><a href=\"/b\">Ferry times and "
            "tide tables</a></li><li><a href=\"/c\">Events in the town this week</a></li></ul></nav></header>"
            "<main><ul>" + "".join("<li><a href=\"/m/%d\">%s</a></li>" % (i, esc(t)) for i, t in enumerate(items)) +
            "</ul></main><footer><ul><li><a href=\"/x\">Terms of use for this site</a></li><li><a href=\"/y\">Cookie "
            "settings and privacy</a></li></ul></footer>")
    add("22-nav-looks-like-headlines", base, page("Town Crier", body), [(t, join(base, "/m/%d" % i)) for i, t in enumerate(items)])


def encoded_pages():
    # 23. Cyrillic headlines in windows-1251.
    base = "http://novosti.example/"
    items = ["Паром возобновил рейсы на острова", "Шторм ожидается в четверг вечером",
             "Рынок открылся на рыбной площади", "Совет утвердил бюджет на следующий год",
             "Новая библиотека открыла двери читателям"]
    body = "<div class=\"news\">" + "".join("<h3><a href=\"/n%d.html\">%s</a></h3><p>Подробности.</p>" % (i, t)
                                            for i, t in enumerate(items)) + "</div>"
    text = page("Новости гавани", body, charset="windows-1251")
    add("23-windows-1251", base, text, [(t, join(base, "/n%d.html" % i)) for i, t in enumerate(items)], encoding="cp1251")
    # 24. Accented headlines in windows-1252, declared in a meta http-equiv.
    items = ["Café opens on the quay", "Naïve plan for the ferry fails", "Crème brûlée festival returns",
             "Señor García wins the regatta", "Ålesund trawler docks at dawn"]
    body = "<ul class=\"headlines\">" + "".join("<li><a href=\"/e%d\">%s</a></li>" % (i, esc(t)) for i, t in enumerate(items)) + "</ul>"
    text = ("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\"><title>Quay "
            "Gazette</title></head><body>%s</body></html>" % body)
    add("24-windows-1252", "http://quay.example/", text, [(t, join("http://quay.example/", "/e%d" % i)) for i, t in enumerate(items)],
        encoding="cp1252")


def feeds():
    rng = random.Random(23)
    items = headlines(rng, 6)
    # 25. RSS 0.91.
    text = ("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<rss version=\"0.91\"><channel><title>Old Feed</title>"
            "<link>http://old.example/</link><description>Old</description><language>en</language>" + "".join(
                "<item><title>%s</title><link>http://old.example/%d</link><description>%s</description></item>"
                % (esc(t), i, sentence(rng, 8)) for i, t in enumerate(items)) + "</channel></rss>\n")
    add("25-rss-0.91", "http://old.example/rss.xml", text, [(t, "http://old.example/%d" % i) for i, t in enumerate(items)],
        ext="xml", encoding="latin-1")
    # 26. RSS 1.0 (RDF).
    items = headlines(rng, 7)
    text = ("<?xml version=\"1.0\"?>\n<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
            "xmlns=\"http://purl.org/rss/1.0/\"><channel rdf:about=\"http://rdf.example/\"><title>RDF News</title>"
            "<link>http://rdf.example/</link><description>D</description></channel>" + "".join(
                "<item rdf:about=\"http://rdf.example/%d\"><title>%s</title><link>http://rdf.example/%d</link>"
                "<description>%s</description></item>" % (i, esc(t), i, sentence(rng, 7)) for i, t in enumerate(items))
            + "</rdf:RDF>\n")
    add("26-rss-1.0", "http://rdf.example/index.rdf", text, [(t, "http://rdf.example/%d" % i) for i, t in enumerate(items)], ext="xml")
    # 27. RSS 2.0 with CDATA, HTML descriptions and a channel image.
    items = headlines(rng, 8)
    text = ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\" xmlns:atom=\"http://www.w3.org/2005/Atom\">"
            "<channel><title>Modern Feed</title><link>https://modern.example/</link><description>M</description>"
            "<atom:link href=\"https://modern.example/rss\" rel=\"self\"/><image><url>https://modern.example/l.png</url>"
            "<title>Modern Feed</title><link>https://modern.example/</link></image>" + "".join(
                "<item><title><![CDATA[%s]]></title><link>https://modern.example/%d</link><guid>https://modern.example/%d</guid>"
                "<description><![CDATA[<p>%s</p>]]></description><pubDate>Tue, 08 Dec 2026 10:00:00 GMT</pubDate></item>"
                % (t, i, i, sentence(rng, 9)) for i, t in enumerate(items)) + "</channel></rss>\n")
    add("27-rss-2.0", "https://modern.example/rss", text, [(t, "https://modern.example/%d" % i) for i, t in enumerate(items)], ext="xml")
    # 28. Atom with several links per entry.
    items = headlines(rng, 6)
    text = ("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>Atom Blog</title>"
            "<link rel=\"self\" href=\"https://atom.example/feed\"/><link href=\"https://atom.example/\"/><id>x</id>"
            "<updated>2026-12-08T10:00:00Z</updated>" + "".join(
                "<entry><title>%s</title><link rel=\"alternate\" type=\"text/html\" href=\"https://atom.example/%d\"/>"
                "<link rel=\"replies\" href=\"https://atom.example/%d#c\"/><id>tag:%d</id><updated>2026-12-08T10:00:00Z</updated>"
                "<summary>%s</summary></entry>" % (esc(t), i, i, i, sentence(rng, 8)) for i, t in enumerate(items)) + "</feed>\n")
    add("28-atom", "https://atom.example/feed", text, [(t, "https://atom.example/%d" % i) for i, t in enumerate(items)], ext="xml")
    # 29. Atom with HTML titles, content instead of summary, links without rel.
    items = headlines(rng, 5)
    text = ("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<feed xmlns=\"http://www.w3.org/2005/Atom\"><title type=\"text\">Dev "
            "Log</title><id>y</id>" + "".join(
                "<entry><id>e%d</id><title type=\"html\">%s</title><link href=\"https://dev.example/log/%d\"/>"
                "<content type=\"html\">&lt;p&gt;%s&lt;/p&gt;</content></entry>" % (i, esc(t), i, sentence(rng, 8))
                for i, t in enumerate(items)) + "</feed>\n")
    add("29-atom-content", "https://dev.example/log.atom", text, [(t, "https://dev.example/log/%d" % i) for i, t in enumerate(items)],
        ext="xml")
    # 30. A custom XML feed of its own shape.
    items = headlines(rng, 6)
    text = ("<?xml version=\"1.0\"?>\n<moreovernews><article><headline_text>%s</headline_text><url>http://m.example/0</url>"
            "<source>Wire</source></article>" % esc(items[0]) + "".join(
                "<article><headline_text>%s</headline_text><url>http://m.example/%d</url><source>Wire</source></article>"
                % (esc(t), i) for i, t in enumerate(items) if i > 0) + "</moreovernews>\n")
    add("30-custom-xml", "http://m.example/feed.xml", text, [(t, "http://m.example/%d" % i) for i, t in enumerate(items)], ext="xml")


def busy_pages():
    rng = random.Random(31)
    base = "https://busy.example/"
    # 31. A busy front page: ads between stories, a ticker of links before the list, a sidebar.
    items = headlines(rng, 14)
    ticker = "".join("<a href=\"/ticker/%d\">%s</a> " % (i, esc(sentence(rng, 3))) for i in range(6))
    stories = ""
    for i, t in enumerate(items):
        if i % 4 == 3:
            stories += "<div class=\"ad-slot\"><a href=\"https://ads.example/%d\">Sponsored: %s</a></div>" % (i, esc(sentence(rng, 4)))
        stories += ("<div class=\"story\"><span class=\"section\">%s</span><h3 class=\"story-title\"><a href=\"/story/%d\">%s</a>"
                    "</h3><div class=\"byline\">By <a href=\"/staff/%d\">Staff</a></div></div>" % (rng.choice(["World", "Sport"]), i, esc(t), i))
    side = "".join("<li><a href=\"/video/%d\">%s</a></li>" % (i, esc(sentence(rng, 5))) for i in range(5))
    body = (NAV + "<div class=\"ticker\">%s</div><div class=\"columns\"><div class=\"col-main\">%s</div><div class=\"col-side\">"
            "<h4>Videos</h4><ul>%s</ul></div></div>" % (ticker, stories, side) + FOOTER)
    add("31-busy-front-page", base, page("Busy Times", body), [(t, join(base, "/story/%d" % i)) for i, t in enumerate(items)])

    # 32. Headline and link in different cells of a row, with the summary in the next row.
    items = headlines(rng, 8)
    rows = "".join("<tr class=\"head\"><td class=\"t\">%s</td><td><a href=\"/g/%d\">open</a></td></tr>"
                   "<tr class=\"sum\"><td colspan=\"2\">%s</td></tr>" % (esc(t), i, sentence(rng, 8)) for i, t in enumerate(items))
    body = NAV + "<table class=\"bulletin\">%s</table>" % rows + FOOTER
    add("32-link-in-another-cell", base, page("Bulletin Board", body), [(t, join(base, "/g/%d" % i)) for i, t in enumerate(items)])


def messy_pages():
    rng = random.Random(43)
    base = "https://messy.example/news/"
    # 33. Modifier classes on some stories: "story story--video", "story story--opinion".
    items = headlines(rng, 10)
    kinds = ["", " story--video", " story--opinion"]
    body = NAV + "<div class=\"stream\">" + "".join(
        "<div class=\"story%s\"><h2 class=\"story__title\"><a class=\"story__link\" href=\"/x/%d\">%s</a></h2>"
        "<p class=\"story__teaser\">%s</p></div>" % (kinds[i % 3], i, esc(t), sentence(rng, 9)) for i, t in enumerate(items)) + "</div>" + FOOTER
    add("33-modifier-classes", base, page("Stream", body), [(t, join(base, "/x/%d" % i)) for i, t in enumerate(items)])

    # 34. Some items without a summary.
    items = headlines(rng, 9)
    body = NAV + "<ul class=\"list\">" + "".join(
        "<li><a href=\"/y/%d\">%s</a>%s</li>" % (i, esc(t), "<p>%s</p>" % sentence(rng, 7) if i % 3 else "")
        for i, t in enumerate(items)) + "</ul>" + FOOTER
    add("34-optional-summaries", base, page("Mixed List", body), [(t, join(base, "/y/%d" % i)) for i, t in enumerate(items)])

    # 35. The link on the picture before the heading, the heading without one.
    items = headlines(rng, 8)
    body = NAV + "<div class=\"tiles\">" + "".join(
        "<div class=\"tile\"><a class=\"pic\" href=\"/z/%d\"><img src=\"/z/%d.jpg\"></a><h3>%s</h3><span>%d min read</span></div>"
        % (i, i, esc(t), rng.randint(2, 9)) for i, t in enumerate(items)) + "</div>" + FOOTER
    add("35-link-on-the-picture", base, page("Tiles", body), [(t, join(base, "/z/%d" % i)) for i, t in enumerate(items)])

    # 36. The first headline also in a ticker at the top of the page.
    items = headlines(rng, 8)
    body = ("<div class=\"ticker\"><b>Breaking:</b> <a href=\"/t/0\">%s</a></div>" % esc(items[0]) + NAV +
            "<section id=\"latest\">" + "".join("<article><h2><a href=\"/t/%d\">%s</a></h2><p>%s</p></article>"
                                                   % (i, esc(t), sentence(rng, 8)) for i, t in enumerate(items)) + "</section>" + FOOTER)
    add("36-example-also-in-a-ticker", base, page("Ticker", body), [(t, join(base, "/t/%d" % i)) for i, t in enumerate(items)])

    # 37. Headlines written over several lines with entities and odd spacing.
    items = headlines(rng, 7)
    body = NAV + "<div id=\"list\">" + "".join(
        "<div class=\"row\">\n  <a href=\"/w/%d\">\n    %s&nbsp;&mdash;&nbsp;%s\n  </a>\n</div>\n" % (i, esc(t), "update")
        for i, t in enumerate(items)) + "</div>" + FOOTER
    add("37-whitespace-and-entities", base, page("Spacing", body),
        [("%s\u00a0\u2014\u00a0update" % t, join(base, "/w/%d" % i)) for i, t in enumerate(items)])

    # 38. Headline texts also in JSON-LD and a script, and comments in the markup.
    items = headlines(rng, 6)
    ld = "{\"@type\":\"ItemList\",\"itemListElement\":[%s]}" % ",".join("{\"name\":\"%s\"}" % t for t in items)
    body = ("<script type=\"application/ld+json\">%s</script>" % ld + NAV + "<!-- list starts -->" + "<div class=\"items\">" +
            "".join("<!-- item %d --><div class=\"item\"><h4><a href=\"/j/%d\">%s</a></h4></div>" % (i, i, esc(t))
                    for i, t in enumerate(items)) + "</div>" + FOOTER)
    add("38-json-ld-and-comments", base, page("Structured", body), [(t, join(base, "/j/%d" % i)) for i, t in enumerate(items)])

    # 39. An old layout of nested tables and font elements.
    items = headlines(rng, 10)
    rows = "".join("<tr><td valign=\"top\"><font size=\"2\">&#149;</font></td><td><font face=\"Arial\" size=\"2\"><a href=\"story.asp?id=%d\">"
                   "<b>%s</b></a><br>%s</font></td></tr>" % (i, esc(t), sentence(rng, 6)) for i, t in enumerate(items))
    body = ("<table width=\"100%%\"><tr><td width=\"150\"><a href=\"/\">Home</a><br><a href=\"/arc\">Archive</a></td>"
            "<td><table cellpadding=\"2\">%s</table></td></tr></table>" % rows)
    add("39-nested-tables", "http://old.example/news/default.asp", page("Old Times", body),
        [(t, join("http://old.example/news/default.asp", "story.asp?id=%d" % i)) for i, t in enumerate(items)])

    # 40. RSS 2.0 with content:encoded, dc:creator and entities in titles.
    items = headlines(rng, 6)
    text = ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\" xmlns:content=\"http://purl.org/rss/1.0/modules/content/\" "
            "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><channel><title>Blog &amp; More</title><link>https://wp.example/</link>"
            "<description>d</description>" + "".join(
                "<item><title>%s &amp; more</title><link>https://wp.example/?p=%d</link><dc:creator><![CDATA[admin]]></dc:creator>"
                "<pubDate>Tue, 08 Dec 2026 10:00:00 +0000</pubDate><category><![CDATA[News]]></category><guid isPermaLink=\"false\">"
                "https://wp.example/?p=%d</guid><description><![CDATA[%s [&#8230;]]]></description><content:encoded><![CDATA[<p>%s</p>]]>"
                "</content:encoded></item>" % (esc(t), i, i, sentence(rng, 6), sentence(rng, 12)) for i, t in enumerate(items))
            + "</channel></rss>\n")
    add("40-rss-wordpress", "https://wp.example/feed/", text, [(t + " & more", "https://wp.example/?p=%d" % i) for i, t in enumerate(items)],
        ext="xml")

    # 41. Two columns, each with its own list of the same shape.
    left, right = headlines(rng, 5), headlines(rng, 5)
    col = lambda items, k: "<div class=\"col\"><ul class=\"links\">" + "".join(
        "<li><a href=\"/%s/%d\">%s</a></li>" % (k, i, esc(t)) for i, t in enumerate(items)) + "</ul></div>"
    body = NAV + "<div class=\"cols\">" + col(left, "l") + col(right, "r") + "</div>" + FOOTER
    add("41-two-columns", base, page("Columns", body),
        [(t, join(base, "/l/%d" % i)) for i, t in enumerate(left)] + [(t, join(base, "/r/%d" % i)) for i, t in enumerate(right)])

    # 42. A pager whose links sit in headings like the stories'.
    items = headlines(rng, 8)
    body = NAV + "<div class=\"results\">" + "".join("<h3><a href=\"/r/%d\">%s</a></h3><div>%s</div>" % (i, esc(t), sentence(rng, 6))
                                                      for i, t in enumerate(items)) + "</div><div class=\"pager\"><h3><a href=\"?page=2\">Next page</a></h3></div>" + FOOTER
    add("42-pager-in-headings", base, page("Results", body), [(t, join(base, "/r/%d" % i)) for i, t in enumerate(items)])


def more_shapes():
    rng = random.Random(59)
    base = "https://shapes.example/"
    # 43. The author's link before the title's in each item.
    items = headlines(rng, 8)
    body = NAV + "<ul class=\"posts\">" + "".join(
        "<li><a class=\"author\" href=\"/u/%d\">Writer %d</a>: <a class=\"title\" href=\"/p/%d\">%s</a></li>" % (i, i, i, esc(t))
        for i, t in enumerate(items)) + "</ul>" + FOOTER
    add("43-author-link-first", base, page("Posts", body), [(t, join(base, "/p/%d" % i)) for i, t in enumerate(items)])

    # 44. The permalink after the date, the title a heading of its own.
    items = headlines(rng, 7)
    body = NAV + "<div id=\"posts\">" + "".join(
        "<div class=\"post\"><h2 class=\"title\">%s</h2><div class=\"meta\">Posted 2026-12-0%d <a class=\"permalink\" href=\"/post/%d\">#</a>"
        "</div><div class=\"body\">%s</div></div>" % (esc(t), i % 9 + 1, i, sentence(rng, 15)) for i, t in enumerate(items)) + "</div>" + FOOTER
    add("44-permalink-after-date", base, page("Permalinks", body), [(t, join(base, "/post/%d" % i)) for i, t in enumerate(items)])

    # 45. Headlines in a grid of figures with captions.
    items = headlines(rng, 9)
    body = NAV + "<div class=\"gallery\">" + "".join(
        "<figure><a href=\"/g/%d\"><img src=\"/g/%d.jpg\" alt=\"\"></a><figcaption><a href=\"/g/%d\">%s</a></figcaption></figure>"
        % (i, i, i, esc(t)) for i, t in enumerate(items)) + "</div>" + FOOTER
    add("45-figure-captions", base, page("Gallery", body), [(t, join(base, "/g/%d" % i)) for i, t in enumerate(items)])

    # 46. A list inside a table cell beside a list of links in the other cell.
    items, other = headlines(rng, 6), headlines(rng, 4)
    body = ("<table><tr><td class=\"left\"><ul>" + "".join("<li><a href=\"/o/%d\">%s</a></li>" % (i, esc(t)) for i, t in enumerate(other)) +
            "</ul></td><td class=\"main\"><ul>" + "".join("<li><a href=\"/m/%d\">%s</a></li>" % (i, esc(t)) for i, t in enumerate(items)) +
            "</ul></td></tr></table>")
    add("46-two-cells", base, page("Cells", body), [(t, join(base, "/m/%d" % i)) for i, t in enumerate(items)])

    # 47. Headings with a label inside the link before the title.
    items = headlines(rng, 8)
    body = NAV + "<div class=\"feed\">" + "".join(
        "<h3 class=\"h\"><a href=\"/l/%d\">%s</a></h3><p class=\"d\">%s</p>" % (i, esc(t), sentence(rng, 9))
        for i, t in enumerate(items)) + "</div>" + FOOTER
    add("47-headings-and-paragraphs", base, page("Feed", body), [(t, join(base, "/l/%d" % i)) for i, t in enumerate(items)])


def main():
    html_list_pages()
    more_html_pages()
    encoded_pages()
    feeds()
    busy_pages()
    messy_pages()
    more_shapes()
    for name, address, text, expected, ext, encoding in CORPUS:
        with open(os.path.join(HERE, name + "." + ext), "wb") as f:
            f.write(text.encode(encoding))
        with open(os.path.join(HERE, name + ".address"), "w", encoding="utf-8") as f:
            f.write(address + "\n")
        with open(os.path.join(HERE, name + ".expected"), "w", encoding="utf-8") as f:
            for heading, link in expected:
                f.write("%s\t%s\n" % (" ".join(heading.split()), link))


main()
