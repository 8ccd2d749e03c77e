#!/usr/bin/env python3
"""Writes the generated seed files of the fuzz targets whose inputs are laid
out for FuzzedDataProvider (texts from the front, choices from the back).

    tests/fuzz/make_seeds.py      (rewrites tests/fuzz/corpus/{archive,compiler}/gen-*)

The other seeds are plain hand-made files."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def record(name, body):
    return b"SO!#" + name + b"\xb6" + body + b"EO!#" + name


def archive_seed(name, body, prefix, append):
    # Back of the input, consumed last byte first: append flag, name length,
    # body length (two bytes, high byte consumed first).
    tail = b""
    if append:
        tail += bytes([len(body) & 0xFF, len(body) >> 8])
    tail += bytes([len(name), 1 if append else 0])
    return name + (body if append else b"") + prefix + tail


def text_seed(own, open_tag, close_tag, value, text, placeholder_choice, open_choice,
              close_choice, mode):
    # Front: four texts each ended by a backslash and one more character,
    # then the text. Back, consumed last byte first: mode, then the choices
    # of placeholder, opening tag and closing tag (index = own text).
    front = b"".join(t.replace(b"\\", b"\\\\") + b"\\;" for t in (own, open_tag, close_tag, value))
    return front + text + bytes([close_choice, open_choice, placeholder_choice, mode])


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "gen-" + name), "wb") as f:
        f.write(data)


def main():
    program = b"\x7fELF" + bytes(range(64)) + b"so!# eo!# code"
    shipped = (record(b"TEMPLATE1.HTML", b"<html>{@pagetitle@}</html>\r\n")
               + record(b"TEMPLATE2.HTML", b"<html>2</html>")
               + record(b"chart.html", b"<table><tr><td>1923</td></tr></table>"))
    write("archive", "shipped", archive_seed(b"TEMPLATE1.HTML", b"", program + shipped, False))
    write("archive", "append", archive_seed(b"chart.html", b"<p>chart</p>", program, True))
    write("archive", "empty-name", archive_seed(b"", b"body", program + record(b"", b"x"), True))
    write("archive", "end-before-start",
          archive_seed(b"doc", b"", b"EO!#doc" + record(b"doc", b"lost"), False))
    write("archive", "marker-in-body",
          archive_seed(b"a", b"SO!#a\xb6inner EO!#b", program, True))
    write("archive", "truncated", archive_seed(b"T", b"", program + b"SO!#T\xb6no end", False))

    with open(os.path.join(HERE, "..", "..", "resources", "TEMPLATE1.HTML"), "rb") as f:
        template = f.read()
    write("dropblock", "list-item", text_seed(b"", b"", b"", b"Title",
                                              b"<ul>\r\n<li><b>{@feature1@}</b> - {@featuredescription1@}</li>\r\n</ul>",
                                              0, 0, 0, 0))
    write("dropblock", "at-first-position", text_seed(b"", b"", b"", b"", b" tail</li>", 0, 0, 0, 1))
    write("dropblock", "at-last-position", text_seed(b"", b"", b"", b"", b"<li>head ", 0, 0, 0, 2))
    write("dropblock", "tags-overlap", text_seed(b"{@x@}", b"", b"", b"v", b"a{@x@}b{@X@}", 13, 5, 5, 0))
    write("dropblock", "own-tags", text_seed(b"{@ps@}", b"<P", b"</P>", b"<p>x</p>",
                                             b"<p align=center>{@ps@}</p><p>{@PS@}</p>", 13, 7, 7, 0))
    write("dropblock", "template", text_seed(b"", b"", b"", b"", template, 8, 0, 0, 0))

    # Compiler: back, consumed last byte first: template option, fill mode,
    # one value choice per field (fill modes 2 and 3), image kind; front: own
    # value, then the template.
    fields = 106
    for n in (1, 2, 3):
        with open(os.path.join(HERE, "..", "..", "resources", "TEMPLATE%d.HTML" % n), "rb") as f:
            template = f.read()
        empty = bytes([1, 0, n])  # image kind 1, every field empty, option n
        write("compiler", "template%d-empty" % n, b"\\;" + template + empty)
        mixed = bytes([1]) + bytes((i * 5) % 15 for i in range(fields)) + bytes([2, n])
        write("compiler", "template%d-mixed" % n, b"own <b>value</b>\\;" + template + mixed)
    small = (b"{@PageTitle@}<ul><li>{@feature1@}</li><li>{@feature2@} - {@featuredescription2@}</li></ul>"
             b"<table><tr><td>{@Testimonial1@}</td></tr></table><p>{@giftprice1@}</p>"
             b"<strong><input type=checkbox>{@orderheadline@}</a>{@ezinedescription@}\r{@yourguarantee@}")
    write("compiler", "small-defaults", b"\\;" + small + bytes([3, 1, 0]))
    write("compiler", "small-missing-template", b"\\;" + small + bytes([2, 0, 2]))
    write("compiler", "no-template-selected", b"\\;" + small + bytes([1, 0, 0]))


if __name__ == "__main__":
    main()
