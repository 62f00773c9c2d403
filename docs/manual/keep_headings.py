"""rst2pdf extension for Readme.pdf: a heading stays on the page of what follows it.

Three gaps let a heading end a page alone:
- rst2pdf builds the document twice, and the first build clears the "keep with next" mark
  of every heading it placed; the second build, the one that is kept, then placed headings
  without it. Each build now starts from the marks the text had.
- rst2pdf puts a spacer between a heading and a following table, list or picture, and the
  heading kept only with that spacer. A spacer right after a heading now keeps with what
  follows it.
- A heading with a long table or paragraph after it moved to the next page even when most
  of the page was free. With at least a third of a page free, the heading now stays and
  what follows it is split as usual; below that, both move to the next page.
"""
from reportlab.lib.units import cm
from reportlab.platypus import doctemplate
from reportlab.platypus.flowables import KeepTogether
from rst2pdf import flowables

ROOM_FOR_A_SPLIT = 8 * cm

_multi_build = doctemplate.BaseDocTemplate.multiBuild
_handle_keep_with_next = doctemplate.BaseDocTemplate.handle_keepWithNext
_UNSET = object()


def _multi_build_with_fresh_marks(self, story, *args, **kwargs):
    marks = [(f, f.__dict__.get('keepWithNext', _UNSET)) for f in story]
    try:
        return _multi_build(self, story, *args, **kwargs)
    finally:
        for f, mark in marks:
            if mark is _UNSET:
                f.__dict__.pop('keepWithNext', None)
            else:
                f.__dict__['keepWithNext'] = mark


def _handle_keep_with_next_across_spacers(self, pending):
    if (len(pending) > 2 and isinstance(pending[1], flowables.MySpacer)
            and pending[0].getKeepWithNext()):
        pending[1].__dict__['keepWithNext'] = True
    _handle_keep_with_next(self, pending)


class _KeepTogetherUnlessRoomy(KeepTogether):
    def split(self, aW, aH):
        if aH >= ROOM_FOR_A_SPLIT:
            return self._content[:]
        return KeepTogether.split(self, aW, aH)


doctemplate.BaseDocTemplate.multiBuild = _multi_build_with_fresh_marks
doctemplate.BaseDocTemplate.handle_keepWithNext = _handle_keep_with_next_across_spacers
doctemplate.BaseDocTemplate._initArgs['keepTogetherClass'] = _KeepTogetherUnlessRoomy
