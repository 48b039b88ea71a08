#!/usr/bin/python3
"""Writes the two reference documents of MERLOX2 as RTF into resources/documents.

- metodologia.rtf: how the five fitness tests are applied;
- formato.rtf: the blank fill-in format on which results are written down in the field.

Both are laid out for letter paper, portrait, with 3 cm side margins. The RTF is written by hand
(no library) in the Windows-1252 code page: every character outside ASCII becomes a \\'xx escape, so
the files are plain ASCII and open the same in any word processor. Run it from anywhere:

    python3 resources/tools/make_documents.py
"""

import sys
from pathlib import Path

DOCUMENTS = Path(__file__).resolve().parent.parent / "documents"

# Letter paper, 3 cm (1701 twips) left and right, 2.5 cm (1417 twips) top and bottom.
PAGE = r"\paperw12240\paperh15840\margl1701\margr1701\margt1417\margb1417"
TEXT_WIDTH = 12240 - 2 * 1701

HEADER = (r"{\rtf1\ansi\ansicpg1252\deff0\deflang3082" "\n"
          r"{\fonttbl{\f0\fswiss\fcharset0 Arial;}}" "\n"
          r"{\colortbl;\red0\green0\blue0;\red38\green70\blue83;\red217\green226\blue230;}" "\n")


def esc(text):
    """RTF text in code page 1252: braces and backslashes escaped, other characters as \\'xx."""
    out = []
    for ch in text:
        if ch in "\\{}":
            out.append("\\" + ch)
        elif ord(ch) < 128:
            out.append(ch)
        else:
            out.append("\\'%02x" % ch.encode("cp1252")[0])
    return "".join(out)


def document(title, body):
    return (HEADER
            + "{\\info{\\title " + esc(title) + "}}\n"
            + PAGE + "\\widowctrl\\ftnbj\\viewkind1\\uc1\n"
            + "\\sectd\\sbknone\\pgwsxn12240\\pghsxn15840\\marglsxn1701\\margrsxn1701\n"
            + body
            + "}\n")


# ---------------------------------------------------------------------------------------------------
# Methodology.

def par(text, fmt=r"\qj\sa120\sl276\slmult1", size=22, bold=False):
    """One paragraph; size is in half-points."""
    b = r"\b" if bold else ""
    return r"\pard\plain\f0\lang3082" + fmt + r"\fs%d%s " % (size, b) + esc(text) + r"\par" + "\n"


def heading(text):
    return par(text, r"\ql\keepn\sb240\sa120\cf2", 24, True)


def bullet(text):
    return (r"\pard\plain\f0\lang3082\qj\fi-283\li567\sa60\sl276\slmult1\fs22 "
            + r"\'95\tab " + esc(text) + r"\par" + "\n")


def test(name, text):
    """A strength test: its name in bold, then its description."""
    return (r"\pard\plain\f0\lang3082\qj\li284\sa120\sl276\slmult1\fs22{\b " + esc(name) + r"}\line "
            + esc(text) + r"\par" + "\n")


def metodologia():
    body = []
    body.append(par("METODOLOGÍA", r"\qc\sa60", 32, True))
    body.append(par("CAPACIDADES FÍSICAS", r"\qc\sa360\cf2", 26, True))
    body.append(par(
        "Las pruebas que se describen a continuación permiten valorar la resistencia, la velocidad y la "
        "fuerza de los alumnos de secundaria. Para que los resultados de un grupo puedan compararse entre "
        "sí y con las tablas de evaluación, conviene aplicarlas siempre en las mismas condiciones y "
        "explicar antes a los alumnos cómo se realiza cada una."))

    body.append(heading("1. MATERIAL NECESARIO"))
    body.append(par("Para aplicar las pruebas se necesita:", r"\qj\sa60\sl276\slmult1"))
    for item in (
            "Un cronómetro que marque décimas de segundo.",
            "Un silbato.",
            "Una tabla o una hoja para anotar los datos de las pruebas.",
            "Una superficie para las carreras de 600 m y de 60 m, de preferencia una pista de atletismo "
            "de 400 m o una cancha de fútbol.",
            "Un área de piso para las pruebas de fuerza."):
        body.append(bullet(item))

    body.append(heading("2. PRUEBA DE RESISTENCIA"))
    body.append(par(
        "Consiste en una carrera de 600 metros y se aplica a los alumnos de 12 años en adelante. La "
        "distancia debe medirse con cuidado, de preferencia sobre un terreno plano y blando. La salida se "
        "da de pie, con un pie adelantado; no se permite la salida agachada. Durante el recorrido el "
        "alumno puede correr, trotar y, en algunos momentos, caminar, pero siempre dando su mejor "
        "esfuerzo. Se registra el mejor tiempo obtenido."))

    body.append(heading("3. PRUEBA DE VELOCIDAD"))
    body.append(par(
        "Consiste en una carrera de 60 metros, igual para hombres y para mujeres, que puede realizarse "
        "sobre cualquier superficie plana (cemento, pasto, tierra apisonada, etcétera). La salida se da de "
        "pie, con un pie delante del otro; tampoco aquí se permite la salida agachada. El alumno debe "
        "recorrer la distancia en el menor tiempo posible, corriendo o caminando. Se registra el mejor "
        "tiempo."))

    body.append(heading("4. PRUEBAS DE FUERZA"))
    body.append(par("La fuerza se valora con tres pruebas:"))
    body.append(test(
        "LAGARTIJAS",
        "El alumno se coloca boca abajo, con los brazos flexionados, las manos a la altura de las axilas y "
        "los dedos hacia el frente, la cabeza alineada con el tronco y la vista dirigida al piso. Los "
        "hombres se apoyan sobre la punta de los pies y las mujeres sobre las rodillas. En cada extensión "
        "de los brazos el cuerpo debe mantenerse recto. Se cuentan todas las repeticiones hasta que el "
        "movimiento deje de hacerse correctamente; una repetición comprende una extensión y una flexión "
        "de los brazos."))
    body.append(test(
        "ABDOMINALES:",
        "Se realizan por parejas sobre una superficie plana, de preferencia blanda; el compañero sujeta "
        "los tobillos del ejecutante. El alumno se acuesta boca arriba, con las piernas juntas y "
        "extendidas y las manos entrelazadas detrás de la nuca. Desde esa posición se incorpora hasta "
        "quedar sentado, toca con el codo la rodilla contraria, alternando los lados, y regresa a la "
        "posición inicial. Las piernas no deben flexionarse. Solo se cuentan los movimientos completos, y "
        "el conteo se suspende en cuanto la técnica deja de ejecutarse correctamente. Esta prueba no tiene "
        "límite de tiempo."))
    body.append(test(
        "SENTADILLAS:",
        "Sobre una superficie plana, el alumno se coloca de pie con los pies ligeramente separados y las "
        "manos al frente, y flexiona las rodillas hasta formar un ángulo de 90 grados antes de volver a "
        "incorporarse. Se cuentan las repeticiones realizadas en 20 segundos. Las condiciones son las "
        "mismas para hombres y para mujeres."))

    body.append(par(
        "Los resultados de cada alumno se anotan en el formato de llenado y después se capturan en la hoja "
        "de su grado para obtener su evaluación.", r"\qj\sb240\sa120\sl276\slmult1\i"))
    return document("Metodología: capacidades físicas", "".join(body))


# ---------------------------------------------------------------------------------------------------
# Fill-in format.

COLUMNS = ("NOMBRE", "EDAD", "RESIST", "VELOC", "LAGART", "ABDOM", "SENTAD")
# Word processors disagree on whether the outer borders sit on the cell edges or one cell padding outside
# them; keeping the edges 80 twips inside the margins leaves the table between the margins either way.
TABLE_INSET = 80
RESULT_WIDTH = 890  # each of the six result columns
NAME_WIDTH = TEXT_WIDTH - 2 * TABLE_INSET - 6 * RESULT_WIDTH
ROWS = 40          # the heading row and 39 pupils
ROW_HEIGHT = 270   # exact height in twips, low enough for the whole format to fit on one page


def row(cells, heading_row):
    widths = [NAME_WIDTH] + [RESULT_WIDTH] * (len(COLUMNS) - 1)
    border = r"\brdrs\brdrw10\brdrcf1"
    out = [r"\trowd\trgaph70\trleft%d\trrh-%d\trkeep" % (TABLE_INSET, ROW_HEIGHT)
           + (r"\trhdr" if heading_row else "")]
    edge = TABLE_INSET
    for w in widths:
        edge += w
        shading = r"\clcbpat3" if heading_row else ""
        out.append(r"\clvertalc\clbrdrt%s\clbrdrl%s\clbrdrb%s\clbrdrr%s%s\cellx%d"
                   % (border, border, border, border, shading, edge))
    out.append("\n")
    for k, text in enumerate(cells):
        align = r"\ql" if k == 0 and not heading_row else r"\qc"
        weight = r"\b" if heading_row else ""
        out.append(r"\pard\plain\intbl\f0\lang3082%s\fs18%s " % (align, weight) + esc(text) + r"\cell")
    out.append(r"\row" + "\n")
    return "".join(out)


def formato():
    body = []
    body.append(par("FORMATO MERLOX 2 SECUNDARIA", r"\qc\sa240", 28, True))
    body.append(par("NOMBRE DE ESCUELA " + "_" * 34 + "   GRUPO " + "_" * 12, r"\ql\sa240", 20, True))
    body.append(row(COLUMNS, True))
    for _ in range(ROWS - 1):
        body.append(row([""] * len(COLUMNS), False))
    body.append(par("PROF. EDUCACIÓN FÍSICA " + "_" * 45, r"\ql\sb360", 20, True))
    return document("Formato MERLOX 2 secundaria", "".join(body))


def main():
    DOCUMENTS.mkdir(parents=True, exist_ok=True)
    for name, text in (("metodologia.rtf", metodologia()), ("formato.rtf", formato())):
        data = text.encode("ascii")
        (DOCUMENTS / name).write_bytes(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
