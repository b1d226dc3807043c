import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
for folder in (os.path.join(ROOT, "host"), os.path.join(ROOT, "build", "python")):
    if folder not in sys.path:
        sys.path.insert(0, folder)
