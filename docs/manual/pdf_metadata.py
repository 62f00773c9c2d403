"""rst2pdf extension for Readme.pdf: the document information names its subject and creator.

rst2pdf fills in only title and author; reportlab writes "(unspecified)" for the rest.
"""
from reportlab.platypus import doctemplate

SUBJECT = "Handbuch zu Zellora, dem Editor für Gruppenobjekte des Zugsimulators Ferrolino"
CREATOR = "Zellora-Handbuch (rst2pdf)"

doctemplate.BaseDocTemplate._initArgs['subject'] = SUBJECT
doctemplate.BaseDocTemplate._initArgs['creator'] = CREATOR
