"""Puts tools/py on the import path, so the peers import the project's one Python codec."""
import os
import sys

_TOOLS_PY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "tools", "py")
if _TOOLS_PY not in sys.path:
    sys.path.insert(0, os.path.normpath(_TOOLS_PY))
