"""Every DXF file the converter wrote for the examples, read by ezdxf: it must load, its
audit must find no error, every entity's layer and line type must be defined in its tables,
and the hand-written example must hold exactly the entities it describes, its text as high as
its DIN text says, in a style with a big font for Japanese."""
import glob
import math
import os
import sys

import ezdxf

golden = os.path.join(sys.argv[1], "tests", "golden", "din_to_dxf")
files = sorted(glob.glob(os.path.join(golden, "*.dxf")))
assert files, "no DXF outputs in " + golden
for path in files:
    doc = ezdxf.readfile(path)
    assert doc.dxfversion == "AC1009", (path, doc.dxfversion)
    layers = {layer.dxf.name for layer in doc.layers}
    linetypes = {ltype.dxf.name.lower() for ltype in doc.linetypes}
    for entity in doc.modelspace():
        assert entity.dxf.layer in layers, (path, entity.dxf.layer)
        if entity.dxf.hasattr("linetype"):
            assert entity.dxf.linetype.lower() in linetypes, (path, entity.dxf.linetype)
    auditor = doc.audit()
    assert not auditor.has_errors, (path, [str(e) for e in auditor.errors])

doc = ezdxf.readfile(os.path.join(golden, "items.dxf"))
kinds = [entity.dxftype() for entity in doc.modelspace()]
assert kinds == ["LINE", "CIRCLE", "ARC", "TEXT"], kinds
line, circle, arc, text = doc.modelspace()
assert (line.dxf.start.x, line.dxf.start.y, line.dxf.end.x, line.dxf.end.y) == (0, 0, 100, 50.5)
assert line.dxf.layer == "0-3"
assert (circle.dxf.center.x, circle.dxf.center.y, circle.dxf.radius) == (10, 20, 5)
assert circle.dxf.linetype == "DASHED"
assert math.isclose(arc.dxf.start_angle, 0, abs_tol=1e-9) and math.isclose(arc.dxf.end_angle, 90)
assert arc.dxf.linetype == "hidden"
assert text.dxf.text.startswith("漢字 ABC °"), text.dxf.text
assert (text.dxf.insert.x, text.dxf.insert.y) == (10, 20)
# The height the DIN holds (70), a hundredth of it; the style's big font for Japanese texts.
assert text.dxf.height == 0.7, text.dxf.height
standard = doc.styles.get("STANDARD")
assert (standard.dxf.font, standard.dxf.bigfont) == ("txt", "extfont2.shx"), standard.dxf.bigfont
print("checked", len(files), "files")
